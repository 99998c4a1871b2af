#include "self_play.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "board/draw.h"
#include "board/history.h"
#include "board/movegen.h"
#include "board/movetext.h"
#include "board/prng.h"
#include "board/refgen.h"
#include "board/see.h"
#include "frontend/position.h"
#include "search/limits.h"
#include "search/score.h"
#include "search/think.h"

namespace {

// A position worth teaching the evaluation: nothing is hanging that the quiescence search would
// have to resolve first.
bool isQuietPosition(const Board& b, const Move* moves, int n) {
  if (b.inCheck()) return false;
  for (int i = 0; i < n; ++i)
    if (isCapture(moves[i]) && see(b, moves[i], false) > 0) return false;
  return true;
}

// The next book move for the game's position, or none.
std::string bookMove(const SearchContext& ctx, const OpeningBook& book) {
  RefMove refs[MaxRefMoves];
  const int n = generateMovesOld(ctx.old, ctx.oldSide, refs);
  const int index = probeBook(book, ctx.old.hash, refs, n);
  return index < 0 ? "" : packedToUci(refs[index].packed);
}

// The move a search of the given size chooses.
Move searchedMove(SearchContext& ctx, int nodes, const Move* moves, int n) {
  SearchLimits limits;
  limits.nodes = nodes;
  think(ctx, limits);
  const Move best = ctx.pvTable[0].pv[0];
  for (int i = 0; i < n; ++i)
    if (moveEqual(moves[i], best)) return moves[i];
  return moves[0];
}

}  // namespace

std::vector<TrainingPosition> playTrainingGame(SearchContext& ctx, const SelfPlaySettings& s) {
  resetPosition(ctx);
  historyPush(ctx.history, ctx.board.hash, true);
  ctx.tt.clear();
  ctx.evaluator->clearCache();
  ctx.silent = true;
  std::vector<TrainingPosition> quiet;  // results filled in when the game ends
  double result = 0.5;
  bool inBook = s.book != nullptr;
  int randomLeft = s.randomPlies;
  int searched = 0;
  for (int ply = 0;; ++ply) {
    const Board& b = ctx.board;
    Move moves[MaxMoves];
    const int n = generateMoves(b, moves);
    // The game ends by mate, by the rules' draws, or by its length.
    if (n == 0) {
      if (b.inCheck()) result = b.turn() == White ? 0 : 1;
      break;
    }
    if (ply >= s.maxPlies || isDrawByRule(b) || isRepetition(ctx.history, b)) break;
    std::string move = inBook ? bookMove(ctx, *s.book) : "";
    inBook = !move.empty();
    if (move.empty() && randomLeft > 0) {
      --randomLeft;
      move = moveToUci(moves[random15() % n]);
    }
    if (move.empty()) {
      const bool keep = isQuietPosition(b, moves, n);
      if (keep) quiet.push_back({boardToFen(b), 0.5, std::nullopt});
      // Searches of slightly different sizes make games from one opening part ways.
      const int spread = s.nodes * s.nodeSpread / 100;
      const int nodes = s.nodes - spread + (spread ? int(random15() % (2 * spread + 1)) : 0);
      move = moveToUci(searchedMove(ctx, std::max(nodes, 1), moves, n));
      // The search's verdict goes with the position; a mate score says nothing of the weights.
      if (keep && !isReportedMate(ctx.prevScore) && std::abs(ctx.prevScore) <= MaxTrainingScore)
        quiet.back().score = ctx.prevScore;
      // Random moves can leave a piece hanging for the side that searches first: such a game
      // teaches who moved first, not what the position is worth.
      if (searched++ == 0 && s.balance > 0 && std::abs(ctx.prevScore) > s.balance) return {};
    }
    applyGuiMove(ctx, move);
  }
  for (TrainingPosition& p : quiet) p.result = result;
  return quiet;
}
