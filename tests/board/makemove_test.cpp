// Make/unmake on the moves that touch more than two squares, read back as FEN (the rules of the
// game as the oracle); the perft cross-check holds every other move against the reference board.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>

#include "board/makemove.h"
#include "board/test_positions.h"

TEST(MakeMove, SpecialMovesAsTheRulesHaveThem) {
  for (const CaseLine& c : loadCases("cases/multi_square_moves.txt")) {
    Board b = boardFromFen(c[0].c_str());
    const std::string& moves = c[1];
    for (size_t at = 0; at < moves.size();) {
      const size_t end = std::min(moves.find(' ', at), moves.size());
      const Board before = b;
      UndoInfo undo;
      const Move m = uciMove(b, moves.substr(at, end - at).c_str());
      const uint32_t mask = makeMove(b, m, undo);
      // Keys, material, pairs and check as a recomputation has them; unmake restores every byte.
      ASSERT_TRUE(boardConsistent(b)) << c[0] << " " << moves;
      Board undone = b;
      unmakeMove(undone, mask, undo);
      ASSERT_EQ(std::memcmp(&undone, &before, sizeof b), 0) << c[0] << " " << moves;
      at = end + 1;
    }
    EXPECT_EQ(boardToFen(b), c[2]) << c[0] << " " << moves;
  }
}

TEST(Board, StartPositionAndItsMirror) {
  // The FEN route and the direct reset give the very same Board.
  const Board b = startBoard();
  Board viaFen = boardFromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  // Every member alike; a 32-bit build pads the end of the record, and the padding is never set.
  EXPECT_EQ(std::memcmp(&viaFen, &b, offsetof(Board, pieceValues) + sizeof b.pieceValues), 0);
  EXPECT_EQ(b.mat.tmat, 6550);
  EXPECT_EQ(b.mat.dmat, 0);

  Board f = boardFromFen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1");
  const Board original = f;
  flipBoard(f);
  EXPECT_EQ(boardToFen(f), "r3k2r/pppbbppp/2n2q1P/1P2p3/3pn3/BN2PNP1/P1PPQPB1/R3K2R b KQkq - 0");
  EXPECT_TRUE(boardConsistent(f));
  flipBoard(f);
  EXPECT_EQ(std::memcmp(&f, &original, sizeof f), 0);
}
