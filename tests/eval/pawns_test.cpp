// Pawn structure through the pawn hash, and the king-distance terms of passed pawns. Expected
// sums are worked out by hand from the piece-square tables and the default parameters.
#include <gtest/gtest.h>

#include "eval/term_state.h"

namespace {

struct PawnCase {
  const char* fen;
  int opening, endgame;
  Bitboard whitePassers, blackPassers;
};

EvalState structure(const Board& b, PawnEntry& entry) {
  EvalState s = termState(b);
  pawnStructure(s, entry);
  return s;
}

EvalState dynamics(const Board& b) {
  EvalState s = termStateWithPassers(b);
  passerDynamics(s);
  return s;
}

}  // namespace

TEST(PawnStructure, HandWorkedStructures) {
  const PawnCase cases[] = {
      // e2 alone: passed (50, 100) and isolated (-37, -76) on a 60/60 square; not backward.
      {"4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", 73, 84, bitOf(E2), 0},
      // e2 is doubled behind e3, so no passer bonus; e3 passes with advance 1: 100 + 45.
      {"4k3/8/8/8/8/4P3/4P3/4K3 w - - 0 1", 118, -37, bitOf(E3), 0},
      // Three on a file: the doubled penalty twice.
      {"4k3/8/8/8/4P3/4P3/4P3/4K3 w - - 0 1", 263, -68, bitOf(E4), 0},
      // d4 and e4 stand beside each other: +10/+20 each, passers with advance 2, not backward.
      {"4k3/8/8/8/3PP3/8/8/4K3 w - - 0 1", 640, 720, bitOf(D4) | bitOf(E4), 0},
      // e5 against d7 alone: isolated, so no candidate bonus.
      {"4k3/3p4/8/4P3/8/8/8/4K3 w - - 0 1", 100, 0, 0, 0},
      // With f4 behind it e5 is a supported candidate: (45 * 9 + 100) / 10 truncates to 50.
      {"4k3/8/3p4/4P3/5P2/8/8/4K3 w - - 0 1", 112, 446, bitOf(F4), 0},
      // e4 is a candidate (5, 28) supported by f3; e3 behind it is doubled, so it is none.
      {"4k3/8/3p4/8/4P3/4PP2/8/4K3 w - - 0 1", 314, 239, bitOf(F3), 0},
      // d3 is backward (-20, -25): no pawn beside or behind it, c4 keeps it from being isolated;
      // c4 is supported by d3 (+20, +40 in all). Both black pawns are isolated.
      {"4k3/8/2p1p3/8/2P5/3P4/8/4K3 w - - 0 1", 74, 167, 0, 0},
      // A passer of each colour on its starting rank.
      {"4k3/p7/8/8/8/8/7P/4K3 w - - 0 1", 0, 0, bitOf(H2), bitOf(A7)},
  };
  for (const PawnCase& c : cases) {
    const Board b = boardFromFen(c.fen);
    PawnEntry entry;
    entry.key = ~b.pawnKey;
    const EvalState miss = structure(b, entry);
    EXPECT_EQ(miss.opening, c.opening) << c.fen;
    EXPECT_EQ(miss.endgame, c.endgame) << c.fen;
    EXPECT_EQ(miss.passers[White], c.whitePassers) << c.fen;
    EXPECT_EQ(miss.passers[Black], c.blackPassers) << c.fen;
    EXPECT_EQ(entry.key, b.pawnKey);
    EXPECT_EQ(entry.passers, c.whitePassers | c.blackPassers);
    EXPECT_EQ(entry.opening, c.opening);
    EXPECT_EQ(entry.endgame, c.endgame);
  }
}

TEST(PasserDynamics, KingDistancesAndTheMoveDecideTheRace) {
  struct Case {
    const char* fen;
    int endgame, unstoppable[2];
  } cases[] = {
      // e5 (3 moves from queening), white king h1 four away, black king a1 four away. Black to
      // move: own 4 + 1 -> 6, enemy 4 -> 100, and the king is in time.
      {"8/8/8/4P3/8/8/8/k6K b - - 0 1", 106, {0, 0}},
      // White to move: own 4 -> 10, enemy 4 + 1 -> 126, and the pawn can no longer be caught.
      {"8/8/8/4P3/8/8/8/k6K w - - 0 1", 136, {3, 0}},
      // A black rook left: scale (838400 - 128000) / 3275 = 216; 2160 >> 8 and 27216 >> 8.
      {"r7/8/8/4P3/8/8/8/k6K w - - 0 1", 114, {3, 0}},
      // Beyond a full set the scale turns negative, -11, and the shifts round down: -1 and -6.
      {"1qqqr3/8/8/4P3/8/8/8/k6K w - - 0 1", -7, {3, 0}},
      // Black's a5 (4 moves; kings 4 -> 10 and 7 + 1 -> 200) is seen first, then h3 (2 moves;
      // 7 -> 2 and 5 + 1 -> 150) becomes the nearest.
      {"7K/8/8/p7/8/7p/8/k7 b - - 0 1", -362, {0, 2}},
  };
  for (const Case& c : cases) {
    const EvalState s = dynamics(boardFromFen(c.fen));
    EXPECT_EQ(s.opening, 0) << c.fen;
    EXPECT_EQ(s.endgame, c.endgame) << c.fen;
    EXPECT_EQ(s.unstoppable[White], c.unstoppable[White]) << c.fen;
    EXPECT_EQ(s.unstoppable[Black], c.unstoppable[Black]) << c.fen;
  }
}
