// Make/unmake on the moves that touch more than two squares, read back as FEN (the rules of the
// game as the oracle); the perft cross-check holds every other move against the reference board.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "board/makemove.h"
#include "board/movetext.h"
#include "board/test_positions.h"

namespace {

Move legal(const Board& b, const char* uci) {
  UciMove um;
  Move m;
  EXPECT_TRUE(parseUciMove(uci, um));
  EXPECT_TRUE(findLegalMove(b, um, m)) << uci << " in " << boardToFen(b);
  return m;
}

}  // namespace

TEST(MakeMove, SpecialMovesAsTheRulesHaveThem) {
  const struct {
    const char* fen;
    const char* moves;
    const char* after;
  } cases[] = {
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1g1", "r3k2r/8/8/8/8/8/8/R4RK1 b kq - 1"},
      {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8c8", "2kr3r/8/8/8/8/8/8/R3K2R w KQ - 1"},
      // A rook taken on its corner takes its wing's right; one taken elsewhere none.
      {"4k3/8/8/8/8/8/7r/R3K2R b KQ - 0 1", "h2h1", "4k3/8/8/8/8/8/8/R3K2r w Q - 0"},
      {"4k3/8/8/8/8/8/r6R/R3K2R b KQ - 0 1", "a2h2", "4k3/8/8/8/8/8/7r/R3K2R w KQ - 0"},
      // A rook that left and came back has lost its right; a rook off its home row has none.
      {"4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", "a1a3 e8d8 a3h3 d8e8 h3h2", "4k3/8/8/8/8/8/7R/4K2R b K - 5"},
      {"4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", "h1h2 e8d8 h2h1", "3k4/8/8/8/8/8/8/R3K2R b Q - 3"},
      // The double step leaves an en passant square for one reply only.
      {"4k3/8/8/8/3p4/8/4P3/4K3 w - - 0 1", "e2e4", "4k3/8/8/8/3pP3/8/8/4K3 b - e3 0"},
      {"4k3/8/8/8/3p4/8/4P3/4K3 w - - 0 1", "e2e4 e8d8", "3k4/8/8/8/3pP3/8/8/4K3 w - - 1"},
      {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", "4k3/8/3P4/8/8/8/8/4K3 b - - 0"},
      {"4kn2/4P3/8/8/8/8/8/4K3 w - - 0 1", "e7f8q", "4kQ2/8/8/8/8/8/8/4K3 b - - 0"},
      {"4k3/2P5/8/8/8/8/2b1b3/3QK3 w - - 0 1", "d1c2 e8d7 c7c8b", "2B5/3k4/8/8/8/8/2Q1b3/4K3 b - - 0"},
  };
  for (const auto& c : cases) {
    Board b = boardFromFen(c.fen);
    std::string moves = c.moves;
    for (size_t at = 0; at < moves.size();) {
      const size_t end = std::min(moves.find(' ', at), moves.size());
      const Board before = b;
      UndoInfo undo;
      const Move m = legal(b, moves.substr(at, end - at).c_str());
      const uint32_t mask = makeMove(b, m, undo);
      // Keys, material, pairs and check as a recomputation has them; unmake restores every byte.
      ASSERT_TRUE(boardConsistent(b)) << c.fen << " " << moves;
      Board undone = b;
      unmakeMove(undone, mask, undo);
      ASSERT_EQ(std::memcmp(&undone, &before, sizeof b), 0) << c.fen << " " << moves;
      at = end + 1;
    }
    EXPECT_EQ(boardToFen(b), c.after) << c.fen << " " << c.moves;
  }
}

TEST(MakeMove, NullMovePassesTheTurnAndComesBack) {
  Board b = startBoard();
  doMove(b, legal(b, "e2e4"));
  const Board before = b;
  UndoInfo u;
  const uint32_t mask = makeNullMove(b, u);
  EXPECT_EQ(boardToFen(b).rfind("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - ", 0), 0u);
  EXPECT_TRUE(boardConsistent(b));
  unmakeMove(b, mask, u);
  EXPECT_EQ(std::memcmp(&before, &b, sizeof b), 0);
}

TEST(Board, StartPositionAndItsMirror) {
  // The FEN route and the direct reset give the very same Board.
  const Board b = startBoard();
  Board viaFen = boardFromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  EXPECT_EQ(std::memcmp(&viaFen, &b, sizeof b), 0);
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
