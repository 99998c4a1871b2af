// Endgame knowledge on the blended score: mop-up, material signatures and bare-king draws.
#include <gtest/gtest.h>

#include "board/movegen.h"
#include "eval/term_state.h"

namespace {

// v after the endgame rules; the stalemate test sees every piece's attacks, as in a full evaluation.
int adjusted(const char* fen, int v) {
  const Board b = boardFromFen(fen);
  EvalState s = termState(b);
  for (int c : {White, Black}) s.attacks[c][0] = attackMap(b, c);
  return endgameKnowledge(s, v);
}

}  // namespace

TEST(EndgameKnowledge, MopUpDrivesTheBareKingAndRewardsACertainMate) {
  // A rook or queen that cannot be taken at once outweighs everything.
  EXPECT_GT(adjusted("4k3/8/8/8/8/8/8/R3K3 w - - 0 1", 0), 100000);
  EXPECT_LT(adjusted("r3k3/8/8/8/8/8/8/4K3 b - - 0 1", 0), -100000);
  // The rook on d7 hangs next to the bare king: no bonus.
  EXPECT_LT(std::abs(adjusted("4k3/3R4/8/8/8/8/8/4K3 w - - 0 1", 0)), 1000);
  // Only a bishop: the bare king is worse off on the edge than in the centre, kings two apart.
  EXPECT_GT(adjusted("k7/8/2K5/8/8/8/8/7B w - - 0 1", 0), adjusted("8/8/8/4k3/8/4K3/8/7B w - - 0 1", 0));
  EXPECT_LT(adjusted("K7/8/2k5/8/8/8/8/7b b - - 0 1", 0), adjusted("8/8/8/4K3/8/4k3/8/7b b - - 0 1", 0));
  // Two bare kings are left alone.
  EXPECT_EQ(adjusted("4k3/8/8/8/8/8/8/4K3 w - - 0 1", 37), 37);
}

TEST(EndgameKnowledge, BishopAndKnightDriveTheKingToTheBishopsCorner) {
  // White: king f4, knight e3, light bishop f1; the bare king walks toward a8.
  const int c6 = adjusted("8/8/2k5/8/5K2/4N3/8/5B2 w - - 0 1", 0);
  const int b7 = adjusted("8/1k6/8/8/5K2/4N3/8/5B2 w - - 0 1", 0);
  const int a8 = adjusted("k7/8/8/8/5K2/4N3/8/5B2 w - - 0 1", 0);
  EXPECT_LT(c6, b7);
  EXPECT_LT(b7, a8);
  // King d4 is as far from a8 as from h8: the bishop's colour decides which corner is wanted.
  EXPECT_GT(adjusted("k7/8/8/8/2BK4/4N3/8/8 w - - 0 1", 0), adjusted("7k/8/8/8/2BK4/4N3/8/8 w - - 0 1", 0));
  EXPECT_LT(adjusted("k7/8/8/8/3K4/4BN2/8/8 w - - 0 1", 0), adjusted("7k/8/8/8/3K4/4BN2/8/8 w - - 0 1", 0));
  // Black's light bishop wants White's king on h1 rather than a1.
  EXPECT_LT(adjusted("8/8/8/3bn3/4k3/8/8/7K w - - 0 1", 0), adjusted("8/8/8/3bn3/4k3/8/8/K7 w - - 0 1", 0));
}

TEST(EndgameKnowledge, RookPawnAgainstRookWithTheKingInFrontOnAWing) {
  EXPECT_EQ(adjusted("6k1/8/6P1/8/8/8/1r6/R3K3 w - - 0 1", 1000), 1000 >> 5);
  EXPECT_EQ(adjusted("r3k3/1R6/8/8/8/6p1/8/6K1 b - - 0 1", -1000), -1000 >> 5);
  // The pawn beside the king is in its storm zone but not behind it; a centre pawn is in none.
  EXPECT_EQ(adjusted("8/8/8/6kP/8/8/1r6/R3K3 w - - 0 1", 1000), 1000);
  EXPECT_EQ(adjusted("4k3/8/4P3/8/8/8/1r6/R5K1 w - - 0 1", 1000), 1000);
}

TEST(EndgameKnowledge, StalematedBareKing) {
  EXPECT_EQ(adjusted("k7/2Q5/1K6/8/8/8/8/8 b - - 0 1", 900000), 0);
  EXPECT_EQ(adjusted("8/8/8/8/8/1k6/2q5/K7 w - - 0 1", -900000), 0);
  // Not to move, checkmated, or able to take an undefended piece: play goes on.
  EXPECT_NE(adjusted("k7/2Q5/1K6/8/8/8/8/8 w - - 0 1", 900000), 0);
  EXPECT_NE(adjusted("k7/1Q6/1K6/8/8/8/8/8 b - - 0 1", 900000), 0);
  EXPECT_NE(adjusted("k7/1R6/3K4/8/8/8/8/8 b - - 0 1", 900000), 0);
}

TEST(EndgameKnowledge, BishopOfTheWrongColourForTheRookPawns) {
  // Light bishop e4 cannot cover h8; dark bishop d4 cannot cover a8.
  EXPECT_EQ(adjusted("7k/8/8/8/4B3/7P/7P/4K3 w - - 0 1", 50000), 0);
  EXPECT_EQ(adjusted("k7/8/8/8/3B4/P7/8/4K3 w - - 0 1", 50000), 0);
  EXPECT_NE(adjusted("7k/8/8/8/8/7P/8/2B1K3 w - - 0 1", 50000), 0);
  EXPECT_NE(adjusted("7k/8/8/8/4B3/6PP/8/4K3 w - - 0 1", 50000), 0);
  EXPECT_NE(adjusted("7k/8/8/8/4B3/7P/8/4KN2 w - - 0 1", 50000), 0);
  // Black promotes on rank 1: a light bishop fails on a1, a dark one on h1.
  EXPECT_EQ(adjusted("4k3/8/8/8/4b3/p7/8/4K3 w - - 0 1", -50000), 0);
  EXPECT_EQ(adjusted("4k3/8/8/8/3b4/7p/8/4K3 w - - 0 1", -50000), 0);
  EXPECT_NE(adjusted("4k3/8/8/8/3b4/p7/8/4K3 w - - 0 1", -50000), 0);
}
