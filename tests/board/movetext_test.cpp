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
  const char* cases[][3] = {
      {"4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1", "b1d2", "Nbd2"},
      {"4k3/8/8/R7/8/8/8/R3K3 w - - 0 1", "a1a3", "R1a3"},
      {"2k5/8/8/8/4Q2Q/8/8/K6Q w - - 0 1", "h4e1", "Qh4e1"},
      {"4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", "e4d5", "exd5"},
      {"4k3/8/8/3p4/2P1P3/8/8/4K3 w - - 0 1", "c4d5", "cxd5"},
      {"4k3/8/8/2p1p3/3P4/8/8/4K3 b - - 0 1", "c5d4", "cxd4"},
      {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", "exd6"},
      {"k7/4P3/8/8/8/8/8/4K3 w - - 0 1", "e7e8q", "e8=Q+"},
      {"k7/4P3/8/8/8/8/8/4K3 w - - 0 1", "e7e8n", "e8=N"},
      {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8c8", "O-O-O"},
      {"4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", "e1g1", "O-O"},
      {"5k2/8/8/8/8/8/8/4K2R w K - 0 1", "e1g1", "O-O+"},
      {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", "a1a8", "Ra8#"},
  };
  for (auto& c : cases) {
    const Board b = boardFromFen(c[0]);
    UciMove um;
    Move m;
    ASSERT_TRUE(parseUciMove(c[1], um) && findLegalMove(b, um, m)) << c[0] << " " << c[1];
    EXPECT_EQ(moveToSan(b, m), c[2]) << c[0];

    OldBoard ob;
    resetOldBoard(ob);
    int side = White;
    ASSERT_TRUE(parseFen(ob, c[0], &side, nullptr));
    RefMove moves[MaxRefMoves];
    const int n = generateMovesOld(ob, side, moves);
    std::string san = "(illegal)";
    for (int i = 0; i < n; ++i)
      if (packedToUci(moves[i].packed) == c[1]) san = oldMoveToSan(ob, side, moves[i]);
    EXPECT_EQ(san, c[2]) << c[0] << " reference";
  }
}
