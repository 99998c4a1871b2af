#include "frontend/position.h"

#include <cstdio>

#include "board/makemove.h"
#include "board/movetext.h"
#include "board/refgen.h"
#include "frontend/selftest.h"
#include "platform/console.h"

namespace {

bool isSetupKeyword(const std::string& t) { return t == "moves" || t == "fen" || t == "startpos"; }

// Sets up the FEN collected from tokens[i..]; returns the index of the token that ended it.
size_t setUpFen(SearchContext& g, const std::vector<std::string>& tokens, size_t i) {
  resetPosition(g);
  std::string fen;
  for (; i < tokens.size() && !isSetupKeyword(tokens[i]); ++i) fen += tokens[i] + ' ';
  int side = White;
  if (!parseFen(g.old, fen.c_str(), &side, nullptr)) {
    print("FATAL ERROR: invalid fen coming from gui: %s\n", fen.c_str());
    side = White;  // the restored board is the initial position
  }
  g.oldSide = side;
  boardFromOld(g.board, g.old, side);
  historyPush(g.history, g.board.hash, g.board.st.fiftyCounter == 0);
  return i;
}

}  // namespace

void applyGuiMove(SearchContext& g, const std::string& token) {
  crossCheckGenerators(g);
  UciMove um;
  if (!parseUciMove(token, um)) return;
  Move move;
  if (!findLegalMove(g.board, um, move)) {
    print("FATAL ERROR: invalid move passed by gui: %s\n", uciMoveText(um).c_str());
    return;
  }
  RefMove refs[MaxRefMoves];
  const int r = generateMovesOld(g.old, g.oldSide, refs);
  int found = -1;
  for (int j = 0; j < r && found < 0; ++j) {
    if (sameMoveLoosely(move.from, move.to, move.promotion, packedFrom(refs[j].packed), packedTo(refs[j].packed),
                        packedPromotion(refs[j].packed)))
      found = j;
  }
  if (found >= 0) {
    makeMoveOld(g.old, g.oldSide, refs[found]);
    g.oldSide ^= 1;
  } else {
    print("movegen_BUG_FOUND!\n");
  }
  doMove(g.board, move);
  const bool irreversible = g.board.st.fiftyCounter == 0;
  if (irreversible) historyClear(g.history);
  historyPush(g.history, g.board.hash, irreversible);
}

void positionCommand(SearchContext& g, const std::vector<std::string>& tokens) {
  bool movesSeen = false;
  for (size_t i = 1; i < tokens.size();) {
    const std::string& t = tokens[i];
    if (t == "fen") {
      i = setUpFen(g, tokens, i + 1);
      continue;
    }
    if (t == "startpos") {
      resetPosition(g);
      historyPush(g.history, g.board.hash, true);
    } else if (t == "moves") {
      movesSeen = true;
    } else if (movesSeen) {
      applyGuiMove(g, t);
    }
    ++i;
  }
}
