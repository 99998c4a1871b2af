// FEN text: whatever parseFen accepts must be a position both move generators agree on, to
// two plies, that survives the trip back to FEN, and that the evaluation and a short search
// take without fault.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "board/makemove.h"
#include "board/movegen.h"
#include "board/oldboard.h"
#include "board/refgen.h"
#include "frontend/selftest.h"
#include "frontend/startup.h"
#include "search/score.h"
#include "search/search.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

// Both generators see the same number of legal moves here and after each of them.
void crossCheck(const Board& b, const OldBoard& ob, int side, int plies) {
  Move moves[MaxMoves];
  RefMove refs[MaxRefMoves];
  const int n = generateMoves(b, moves);
  require(n == generateMovesOld(ob, side, refs));
  if (plies <= 1) return;
  for (int i = 0; i < n; ++i) {
    Board after = b;
    doMove(after, moves[i]);
    require(boardConsistent(after));
    int j = 0;
    while (j < n && !sameMoveLoosely(moves[i].from, moves[i].to, moves[i].promotion, packedFrom(refs[j].packed),
                                     packedTo(refs[j].packed), packedPromotion(refs[j].packed)))
      ++j;
    require(j < n);
    OldBoard next = ob;
    makeMoveOld(next, side, refs[j]);
    crossCheck(after, next, side ^ 1, plies - 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static SearchContext* ctx = [] {
    initEngineTables();
    return new SearchContext();
  }();
  const std::string text(reinterpret_cast<const char*>(data), size);
  OldBoard ob;
  resetOldBoard(ob);
  int side = White;
  if (!parseFen(ob, text.c_str(), &side, nullptr)) return 0;
  Board b;
  boardFromOld(b, ob, side);
  require(boardConsistent(b));
  crossCheck(b, ob, side, 2);

  // Written back and read again, it is the same position and is written the same way.
  const std::string written = oldBoardToFen(ob, side);
  OldBoard again;
  int sideAgain = -1;
  require(parseFen(again, written.c_str(), &sideAgain, nullptr) && sideAgain == side);
  require(oldBoardToFen(again, side) == written);
  Board fromWritten;
  boardFromOld(fromWritten, again, side);
  require(fromWritten.hash == b.hash && std::memcmp(fromWritten.mailbox, b.mailbox, sizeof b.mailbox) == 0);

  // A two-ply search with its quiescence, on a fresh table.
  ctx->board = b;
  historyClear(ctx->history);
  historyPush(ctx->history, b.hash, true);
  ctx->tt.clear();
  ctx->stopSearch = false;
  ctx->silent = true;
  ctx->deadline = ctx->startTime + 0x3FFFFFFF;
  ctx->nodeBudget = 2000;
  ctx->nodes = 0;
  searchPV(*ctx, 2 * OnePly, 0, -MateValue, MateValue);
  require(ctx->board.hash == b.hash && boardConsistent(ctx->board));
  return 0;
}
