#include "frontend/selftest.h"

#include <cstdio>
#include <string>

#include "board/movegen.h"
#include "board/movetext.h"
#include "board/refgen.h"
#include "platform/console.h"

bool sameMoveLoosely(int fromA, int toA, int promotionA, int fromB, int toB, int promotionB) {
  if (fromA != fromB || toA != toB) return false;
  return promotionA == promotionB || (promotionA == 0 && promotionB == Queen) ||
         (promotionA == Queen && promotionB == 0);
}

namespace {

bool matches(const Move& m, const RefMove& r) {
  return sameMoveLoosely(m.from, m.to, m.promotion, packedFrom(r.packed), packedTo(r.packed),
                         packedPromotion(r.packed));
}

void printMismatch(const SearchContext& g, const Move* moves, int n, const RefMove* refs, int r) {
  print("FATAL ERROR: new_movegen_bug!\n");
  print("\tfen: %s\n", oldBoardToFen(g.old, g.oldSide).c_str());
  for (int i = 0; i < n; ++i) {
    bool found = false;
    for (int j = 0; j < r && !found; ++j) found = matches(moves[i], refs[j]);
    if (!found) print("illegal move found: %s\n", moveToSan(g.board, moves[i]).c_str());
  }
  for (int j = 0; j < r; ++j) {
    bool found = false;
    for (int i = 0; i < n && !found; ++i) found = matches(moves[i], refs[j]);
    if (!found) print("legal move not found: %s\n", oldMoveToSan(g.old, g.oldSide, refs[j]).c_str());
  }
  std::string dump = "new board dump:\n";
  char line[64];
  for (int w = 0; w < BoardWords; ++w) {
    std::snprintf(line, sizeof line, "bits[%d] = %llx\n", w, (unsigned long long)boardWord(g.board, w));
    dump += line;
  }
  print("%s", dump.c_str());
  print("castrights_white = %02x\n", g.board.st.castRights[White]);
  print("castrights_black = %02x\n", g.board.st.castRights[Black]);
  std::string real = "old(real): ", bad = "new(bad): ";
  for (int j = 0; j < r; ++j) real += oldMoveToSan(g.old, g.oldSide, refs[j]) + " ";
  for (int i = 0; i < n; ++i) bad += moveToSan(g.board, moves[i]) + " ";
  print("%s\n", real.c_str());
  print("%s\n", bad.c_str());
}

}  // namespace

bool crossCheckGenerators(const SearchContext& g) {
  Move moves[MaxMoves];
  RefMove refs[MaxRefMoves];
  const int n = generateMoves(g.board, moves);
  const int r = generateMovesOld(g.old, g.oldSide, refs);
  if (n == r) return true;
  printMismatch(g, moves, n, refs, r);
  return false;
}
