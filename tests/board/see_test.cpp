// Static exchange values in exchange units (pawn 2) and the square-attack test.
#include "board/see.h"

#include <gtest/gtest.h>

#include "board/movetext.h"
#include "board/test_positions.h"

namespace {

int seeOf(const char* fen, const char* uci, bool earlyExit) {
  const Board b = boardFromFen(fen);
  UciMove um;
  Move m;
  EXPECT_TRUE(parseUciMove(uci, um));
  if (um.from == um.to) return see(b, Move{uint8_t(um.from), uint8_t(um.to), 0, 0}, earlyExit);
  EXPECT_TRUE(findLegalMove(b, um, m)) << uci << " in " << fen;
  return see(b, m, earlyExit);
}

}  // namespace

TEST(See, Exchanges) {
  struct Case {
    const char* fen;
    const char* move;
    int exact, early;
  } cases[] = {
      // Pawn takes an undefended queen; with the early exit it is only victim - attacker.
      {"4k3/8/8/3q4/4P3/8/8/4K3 w - - 0 1", "e4d5", 20, 18},
      {"4k3/8/2p5/3p4/8/8/8/3QK3 w - - 0 1", "d1d5", -18, -18},
      // The e1 rook behind the capturer joins after the first recapture; without it, even.
      {"4r1k1/4r3/8/8/8/8/4R3/4R1K1 w - - 0 1", "e2e7", 10, 0},
      {"4r1k1/4r3/8/8/8/8/4R3/6K1 w - - 0 1", "e2e7", 0, 0},
      // The bishop behind the capturing pawn takes back last; then a bishop behind the
      // recapturing pawn answers it.
      {"4k3/8/4p3/3p4/4P3/5B2/8/4K3 w - - 0 1", "e4d5", 2, 0},
      {"4k3/5b2/4p3/3p4/4P3/5B2/8/4K3 w - - 0 1", "e4d5", 0, 0},
      // Only the king defends the knight: it may not recapture while the rook still attacks.
      {"8/8/4k3/3n4/8/1B6/8/3R3K w - - 0 1", "b3d5", 6, 0},
      {"8/8/4k3/3n4/8/1B6/8/7K w - - 0 1", "b3d5", 0, 0},
      // A black capture: the knight is lost to the pawn recapture.
      {"4k3/8/4n3/8/3P4/2P5/8/4K3 b - - 0 1", "e6d4", -4, -4},
      // En passant and castling are never played out, even onto a defended square.
      {"3qk3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", 0, 0},
      {"4k3/8/8/8/8/8/8/4K2R w K - 0 1", "e1g1", 0, 0},
      // A piece "moving" to its own square: what it stands to lose where it is.
      {"4k3/8/8/3p4/4N3/8/8/4K3 w - - 0 1", "e4e4", -6, -6},
      {"4k3/8/8/8/4N3/8/8/4K3 w - - 0 1", "e4e4", 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(seeOf(c.fen, c.move, false), c.exact) << c.fen << " " << c.move;
    EXPECT_EQ(seeOf(c.fen, c.move, true), c.early) << c.fen << " " << c.move << " early";
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
