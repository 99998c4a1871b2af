// Move text: coordinates in, and standard notation written by both boards alike. (Coordinates
// out are every move list's; a promotion found only with its letter is the GUI's and the
// referee's test.)
#include <gtest/gtest.h>

#include "board/movetext.h"
#include "board/refgen.h"
#include "board/test_positions.h"

TEST(MoveText, UciTextAndPromotionLetters) {
  UciMove um;
  ASSERT_TRUE(parseUciMove("e7e8Q", um));
  EXPECT_EQ(um.from, E7);
  EXPECT_EQ(um.to, E8);
  EXPECT_EQ(um.promotion, Queen);
  EXPECT_EQ(uciMoveText(um), "e7e8q");
  ASSERT_TRUE(parseUciMove("A2A4", um));
  EXPECT_EQ(um.from, A2);
  EXPECT_EQ(um.promotion, 0);
  ASSERT_TRUE(parseUciMove("b7b8x", um));
  EXPECT_EQ(um.promotion, 0);  // an unknown letter is no promotion
  EXPECT_FALSE(parseUciMove("e2e", um));
}

TEST(MoveText, SanFromBothBoards) {
  for (const CaseLine& c : loadCases("cases/san.txt")) {
    OldBoard ob;
    Board b;
    const int side = readPosition(c[0].c_str(), ob, b);
    UciMove um;
    Move m;
    ASSERT_TRUE(parseUciMove(c[1].c_str(), um) && findLegalMove(b, um, m)) << c[0] << " " << c[1];
    EXPECT_EQ(moveToSan(b, m), c[2]) << c[0];

    RefMove moves[MaxRefMoves];
    const int n = generateMovesOld(ob, side, moves);
    std::string san = "(illegal)";
    for (int i = 0; i < n; ++i)
      if (packedToUci(moves[i].packed) == c[1]) san = oldMoveToSan(ob, side, moves[i]);
    EXPECT_EQ(san, c[2]) << c[0] << " reference";
  }
}
