// Static exchange values in exchange units (pawn 2) and the square-attack test.
#include "board/see.h"

#include <gtest/gtest.h>

#include "board/movetext.h"
#include "board/test_positions.h"

namespace {

int seeOf(const char* fen, const char* uci, bool earlyExit) {
  const Board b = boardFromFen(fen);
  UciMove um;
  EXPECT_TRUE(parseUciMove(uci, um));
  if (um.from == um.to) return see(b, Move{uint8_t(um.from), uint8_t(um.to), 0, 0}, earlyExit);
  return see(b, uciMove(b, uci), earlyExit);
}

}  // namespace

TEST(See, Exchanges) {
  for (const CaseLine& c : loadCases("cases/see.txt")) {
    EXPECT_EQ(seeOf(c[0].c_str(), c[1].c_str(), false), std::stoi(c[2])) << c[0] << " " << c[1];
    EXPECT_EQ(seeOf(c[0].c_str(), c[1].c_str(), true), std::stoi(c[3])) << c[0] << " " << c[1] << " early";
  }
}

// With leapers the attack test is held against the attack sets at every node of the move
// trees (MoveGen.PseudoLegalGeneratorsAgreeOnTrees); without, knights, pawns and kings drop out.
TEST(See, IsAttackedWithoutLeapers) {
  const Board knight = boardFromFen("4k3/8/3N4/8/8/8/8/4K3 b - - 0 1");
  EXPECT_TRUE(isAttacked(knight, E8, Black, true));
  EXPECT_FALSE(isAttacked(knight, E8, Black, false));
  const Board rook = boardFromFen("4k3/8/8/8/8/8/8/4RK2 b - - 0 1");
  EXPECT_TRUE(isAttacked(rook, E8, Black, false));
  const Board pawn = boardFromFen("4k3/8/8/8/8/4P3/8/K7 b - - 0 1");
  EXPECT_FALSE(isAttacked(pawn, D4, Black, false));
  EXPECT_FALSE(isAttacked(pawn, B2, Black, false));
}
