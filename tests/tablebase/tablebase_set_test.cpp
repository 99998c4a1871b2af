// How a Board becomes the tablebase reader's question: squares, men, en passant. (Which
// directories a path text opens is the reader's test and the options' through the engine.)
#include <gtest/gtest.h>

#include <vector>

#include "board/test_positions.h"
#include "tablebase/tablebase_set.h"

namespace {

// A list up to and with its end marker.
std::vector<int> list(const int* entries, int end) {
  std::vector<int> out;
  do out.push_back(*entries); while (*entries++ != end && out.size() < TablebaseListSize);
  return out;
}

}  // namespace

TEST(TablebaseSet, QueryCarriesTheFormatsSquaresAndTheEnPassantTarget) {
  // Black just played d7-d5: white's e5 pawn may take on d6 (a1 = 0: d6 is 43).
  TablebaseQuery q;
  ASSERT_TRUE(buildTablebaseQuery(boardFromFen("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1"), q));
  EXPECT_EQ(q.stm, 0);
  EXPECT_EQ(q.epSquare, 43);
  // Each colour's men from a8 towards h1: e5 (36) before e1 (4); e8 (60) before d5 (35).
  EXPECT_EQ(list(q.squares[White], gtb::NoSquare), (std::vector<int>{36, 4, gtb::NoSquare}));
  EXPECT_EQ(list(q.pieces[White], gtb::NoPiece), (std::vector<int>{gtb::Pawn, gtb::King, gtb::NoPiece}));
  EXPECT_EQ(list(q.squares[Black], gtb::NoSquare), (std::vector<int>{60, 35, gtb::NoSquare}));
  EXPECT_EQ(list(q.pieces[Black], gtb::NoPiece), (std::vector<int>{gtb::King, gtb::Pawn, gtb::NoPiece}));

  // The other way round: white just played d2-d4, black's e4 pawn may take on d3 (19).
  ASSERT_TRUE(buildTablebaseQuery(boardFromFen("4k3/8/8/8/3Pp3/8/8/4K3 b - d3 0 1"), q));
  EXPECT_EQ(q.stm, 1);
  EXPECT_EQ(q.epSquare, 19);
  ASSERT_TRUE(buildTablebaseQuery(boardFromFen("4k3/8/8/8/3Pp3/8/8/4K3 b - - 0 1"), q));
  EXPECT_EQ(q.epSquare, gtb::NoSquare);
}
