// Knight, bishop, rook and queen terms, worked out by hand from the piece-square tables, the
// mobility tables and the default parameters; and the colour symmetry of every term.
#include <gtest/gtest.h>

#include "eval/term_state.h"

namespace {

using Term = void (*)(EvalState&, int, int);

struct PieceCase {
  const char* fen;
  Term term;
  int sq;
  int opening, endgame;
};

void expectPieceCases(std::initializer_list<PieceCase> cases) {
  for (const PieceCase& c : cases) {
    const Board b = boardFromFen(c.fen);
    EvalState s = termStateWithPassers(b);
    c.term(s, White, c.sq);
    EXPECT_EQ(s.opening, c.opening) << c.fen;
    EXPECT_EQ(s.endgame, c.endgame) << c.fen;
  }
}

}  // namespace

TEST(PieceTerms, Knight) {
  expectPieceCases({
      // d4: 250 on the square, eight free squares 15/11.
      {"4k3/8/8/8/3N4/8/8/4K3 w - - 0 1", knightTerms, D4, 265, 261},
      {"4k3/8/8/4p3/3N4/8/8/4K3 w - - 0 1", knightTerms, D4, 245, 241},
      {"4k3/8/8/8/3N4/2P5/8/4K3 w - - 0 1", knightTerms, D4, 275, 271},
      // Attacked and defended by pawns: only the attack counts.
      {"4k3/8/8/4p3/3N4/2P5/8/4K3 w - - 0 1", knightTerms, D4, 245, 241},
  });
}

TEST(PieceTerms, Bishop) {
  expectPieceCases({
      // Bishop a7 shut in: taking b6 loses it to c7, b8 is covered by the king: -1000 on top of
      // -100/-200 on the square and two free squares (1/0).
      {"2k5/B1p5/1p6/8/8/8/8/4K3 w - - 0 1", bishopTerms, A7, -1099, -1200},
      {"2k5/B7/1p6/8/8/8/8/4K3 w - - 0 1", bishopTerms, A7, -99, -200},
      {"5k2/5p1B/6p1/8/8/8/8/4K3 w - - 0 1", bishopTerms, H7, -1099, -1200},
      // d4 hit by c5 (-20) takes no bonus from the e3 pawn; eight free squares 28/25.
      {"4k3/8/8/2p5/3B4/4P3/8/4K3 w - - 0 1", bishopTerms, D4, 108, 75},
      {"4k3/8/8/8/3B4/4P3/8/4K3 w - - 0 1", bishopTerms, D4, 140, 108},
  });
  // The bishop sees through its own queen; d2 is not a free square.
  const Board b = boardFromFen("4k3/8/8/8/8/8/3Q4/2B1K3 w - - 0 1");
  EvalState s = termState(b);
  bishopTerms(s, White, C1);
  EXPECT_EQ(s.attacks[White][Bishop], squares({B2, A3, D2, E3, F4, G5, H6}));
  EXPECT_EQ(s.attacks[White][0] & s.attacks[White][Bishop], s.attacks[White][Bishop]);
  EXPECT_EQ(s.opening, -200 + 22);
  EXPECT_EQ(s.endgame, -100 + 20);
}

TEST(PieceTerms, Rook) {
  expectPieceCases({
      // Open d file (+250/+45), ten free squares (11/43), 50 on the square.
      {"4k3/8/8/8/8/8/8/3RK3 w - - 0 1", rookTerms, D1, 311, 88},
      // One pawn of either colour on the file: semi-open (+15/+25). The e7 pawn keeps d5 from
      // being a passer the rook stands behind.
      {"4k3/8/8/3p4/8/8/8/3RK3 w - - 0 1", rookTerms, D1, 72, 56},
      {"4k3/4p3/8/3P4/8/8/8/3RK3 w - - 0 1", rookTerms, D1, 70, 49},
      {"4k3/8/3p4/8/8/3P4/8/3RK3 w - - 0 1", rookTerms, D1, 52, 11},
      // Behind the e5 passer (+35/+75); with a second rook in front only that one gets it.
      {"4k3/8/8/4P3/8/8/8/3KR3 w - - 0 1", rookTerms, E1, 105, 124},
      {"4k3/8/8/4P3/8/8/4R3/3KR3 w - - 0 1", rookTerms, E1, 69, 43},
      {"4k3/8/8/4P3/8/8/4R3/3KR3 w - - 0 1", rookTerms, E2, 110, 141},
      // Seventh rank with the king on the eighth or a pawn on the seventh (+146/+100).
      {"6k1/R7/8/8/8/8/8/4K3 w - - 0 1", rookTerms, A7, 358, 191},
      {"8/R7/6k1/8/8/8/8/4K3 w - - 0 1", rookTerms, A7, 212, 91},
      {"8/R6p/6k1/8/8/8/8/4K3 w - - 0 1", rookTerms, A7, 358, 191},
      // Attacked by a pawn: -63 after mobility.
      {"4k3/8/8/2p5/3R4/8/8/4K3 w - - 0 1", rookTerms, D4, 249, 28},
      // Boxed in beside a king that has lost its castling: -1200, opening only; not on a1 with
      // the king on f1, and not while the king may still castle. The black pawns stop the
      // white ones from being passers.
      {"4k3/6p1/8/8/8/8/6PP/5K1R w - - 0 1", rookTerms, H1, -1239, 19},
      {"4k3/1p6/8/8/8/8/PP6/R4K2 w - - 0 1", rookTerms, A1, -33, 36},
      {"4k3/6p1/8/8/8/8/6PP/4K2R w K - 0 1", rookTerms, H1, -37, 25},
      {"4k3/6p1/8/8/8/8/6PP/4K2R w - - 0 1", rookTerms, H1, -1237, 25},
  });
}

TEST(PieceTerms, Queen) {
  expectPieceCases({
      // 26 free squares score as 15 (8/14); hit by e5: -30.
      {"k7/8/8/8/3Q4/8/8/K7 w - - 0 1", queenTerms, D4, 8, 14},
      {"k7/8/8/4p3/3Q4/8/8/K7 w - - 0 1", queenTerms, D4, -22, -16},
  });
  // a7 and b6 lie in the black king's zone: two attacks of weight 10.
  const Board b = boardFromFen("k7/8/8/8/3Q4/8/8/K7 w - - 0 1");
  EvalState s = termState(b);
  queenTerms(s, White, D4);
  EXPECT_EQ(s.kingAttackCount[White], 2);
  EXPECT_EQ(s.kingAttackWeight[White], 20);
}

// Every term on a position and on its colour-flipped twin gives the opposite score.
TEST(EvalTerms, ColourFlipGivesOppositeScores) {
  const char* fens[] = {
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
      "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP1B1PPP/R2QKB1R b KQ - 0 1",
      "6k1/5ppp/8/4N3/3Q4/8/5PPP/R5K1 w - - 0 1",
      "2k5/B1p5/1p6/8/8/8/6PP/5K1R w - - 0 1",
      "4k3/8/2p1p3/4P3/2P5/3P4/8/4K3 b - - 0 1",
      "7K/8/8/p7/8/7p/8/k7 b - - 0 1",
      "8/1P6/8/8/8/6p1/8/k6K w - - 0 1",
      "r5k1/1R4pp/8/pP6/8/6P1/5q1P/6K1 w - - 0 1",
  };
  for (const char* fen : fens) {
    const Board b = boardFromFen(fen);
    Board flipped = b;
    flipBoard(flipped);
    const EvalState s = allTerms(b), t = allTerms(flipped);
    EXPECT_EQ(s.opening, -t.opening) << fen;
    EXPECT_EQ(s.endgame, -t.endgame) << fen;
    for (int c : {White, Black}) {
      EXPECT_EQ(s.kingDanger[c], t.kingDanger[c ^ 1]) << fen;
      EXPECT_EQ(s.kingAttackWeight[c], t.kingAttackWeight[c ^ 1]) << fen;
      EXPECT_EQ(s.unstoppable[c], t.unstoppable[c ^ 1]) << fen;
      EXPECT_EQ(s.passers[c], __builtin_bswap64(t.passers[c ^ 1])) << fen;
      EXPECT_EQ(s.attacks[c][0], __builtin_bswap64(t.attacks[c ^ 1][0])) << fen;
    }
  }
}
