// Move text: coordinates in and out, and standard notation written by both boards alike.
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
  EXPECT_EQ(moveToUci(Move{B2, A1, Knight, MoveCapture}), "b2a1n");
  EXPECT_EQ(packedToUci(packMove(H2, G1, Knight)), "h2g1n");
  // A promotion is found only with its letter.
  const Board b = boardFromFen("4k3/P7/8/8/8/8/8/4K3 w - - 0 1");
  Move m;
  parseUciMove("a7a8", um);
  EXPECT_FALSE(findLegalMove(b, um, m));
  parseUciMove("a7a8Q", um);
  ASSERT_TRUE(findLegalMove(b, um, m));
  EXPECT_EQ(m.promotion, Queen);
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
