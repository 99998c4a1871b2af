// Move text: coordinates in and out, and standard notation with disambiguation and marks.
#include <gtest/gtest.h>

#include "board/movetext.h"
#include "board/test_positions.h"

namespace {

std::string san(const char* fen, const char* uci) {
  Board b = boardFromFen(fen);
  UciMove um;
  Move m;
  EXPECT_TRUE(parseUciMove(uci, um));
  if (!findLegalMove(b, um, m)) return "(illegal)";
  return moveToSan(b, m);
}

}  // namespace

TEST(MoveText, UciRoundTripAndPromotionLetters) {
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
  EXPECT_EQ(moveToUci(Move{G1, F3, 0, 0}), "g1f3");
  EXPECT_EQ(moveToUci(Move{B2, A1, Knight, MoveCapture}), "b2a1n");
}

TEST(MoveText, PromotionNeedsItsLetter) {
  Board b = boardFromFen("4k3/P7/8/8/8/8/8/4K3 w - - 0 1");
  UciMove um;
  Move m;
  parseUciMove("a7a8", um);
  EXPECT_FALSE(findLegalMove(b, um, m));
  parseUciMove("a7a8Q", um);
  ASSERT_TRUE(findLegalMove(b, um, m));
  EXPECT_EQ(m.promotion, Queen);
}

TEST(MoveText, SanDisambiguatesAndMarksChecks) {
  EXPECT_EQ(san("4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1", "b1d2"), "Nbd2");
  EXPECT_EQ(san("4k3/8/8/R7/8/8/8/R3K3 w - - 0 1", "a1a3"), "R1a3");
  EXPECT_EQ(san("4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", "e4d5"), "exd5");
  EXPECT_EQ(san("8/4P3/8/7k/8/8/8/4K3 w - - 0 1", "e7e8q"), "e8=Q+");
  EXPECT_EQ(san("6k1/5ppp/8/8/8/8/8/R3K3 w Q - 0 1", "a1a8"), "Ra8#");
  EXPECT_EQ(san("4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", "e1g1"), "O-O");
  EXPECT_EQ(san("4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", "e1c1"), "O-O-O");
  EXPECT_EQ(san("4k3/8/8/2p1p3/3P4/8/8/4K3 b - - 0 1", "c5d4"), "cxd4");
  EXPECT_EQ(san("Q7/8/8/Q7/7Q/1k6/8/4K3 w - - 0 1", "a5d8"), "Qa5d8");
}
