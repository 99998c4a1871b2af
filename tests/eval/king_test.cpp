// The king terms and the unstoppable-passer bonus, worked out by hand with the default
// parameters (which also hold the king-area masks to account).
#include <gtest/gtest.h>

#include "eval/eval_masks.h"
#include "eval/params.h"
#include "eval/term_state.h"

namespace {

// What the king terms of `colour` add, after the given piece terms have run.
EvalState kingOnly(const Board& b, int colour, void (*pieces)(EvalState&) = nullptr) {
  EvalState s = termStateWithPassers(b);
  if (pieces) pieces(s);
  const int opening = s.opening, endgame = s.endgame;
  kingTerms(s, colour, b.kingSquare(colour));
  s.opening -= opening;
  s.endgame -= endgame;
  return s;
}

}  // namespace

// The zones the king terms read, for a castled king; the terms below see only some squares.
TEST(KingMasks, ZonesOfACastledKing) {
  initEvalMasks();
  EXPECT_EQ(stormZone[White][G1], ((fileBits(6) | fileBits(7)) & ~rowBits(7)) | bitOf(H1));
  EXPECT_EQ(shieldZone[White][G1], squares({H1, G2, H2, G3, H3}));
  EXPECT_EQ(shelterZone[White][G1], squares({F1, G1, H1, F2, G2, H2}));
  EXPECT_EQ(shieldZone[Black][G8], squares({H8, G7, H7, G6, H6}));
  EXPECT_EQ(stormZone[White][E1], 0u);
}

TEST(KingMasks, MobilityTablesKeepTheirFirstBuild) {
  initEvalMasks();
  const int saved = param::MobilityPercent;
  param::MobilityPercent = 0;
  initEvalMasks();
  param::MobilityPercent = saved;
  EXPECT_EQ(mobilityTables[Queen].opening[15], 8);
  EXPECT_EQ(mobilityTables[Rook].endgame[0], -13);
}

TEST(KingTerms, StormShieldAndShelter) {
  // g1 (400 on the square) behind f2, g2, h2: shield 480, shelter 312 + 177.
  EvalState s = kingOnly(boardFromFen("4k3/8/8/8/8/8/5PPP/6K1 w - - 0 1"), White);
  EXPECT_EQ(s.opening, 400 + 480 + 312 + 177);
  EXPECT_EQ(s.endgame, 0);
  // A pawn on g4 three rows away: (7 - 3) * 50.
  s = kingOnly(boardFromFen("4k3/8/8/8/6p1/8/8/6K1 w - - 0 1"), White);
  EXPECT_EQ(s.opening, 400 - 200);
  // The king on e1 has no storm or shield, only shelter; the black pawns reach three squares
  // of its zone, but with no black pieces the attack costs nothing.
  s = kingOnly(boardFromFen("4k3/8/8/8/3ppp2/8/3PPP2/4K3 w - - 0 1"), White);
  EXPECT_EQ(s.opening, 312 + 177);
  EXPECT_EQ(s.kingAttackCount[Black], 3);
  EXPECT_EQ(s.kingDanger[White], 0);
}

TEST(KingTerms, KingAttackScalesWithTheAttackersMaterial) {
  // The e5 knight reaches f7 and g6 of the g8 king's zone: count 2, weight 14, danger 59.
  auto knight = [](EvalState& s) { knightTerms(s, White, E5); };
  struct Case {
    const char* fen;
    int penalty;
  } cases[] = {
      {"6k1/8/8/4N3/8/8/8/RNBQKB1R w - - 0 1", 59},  // full set: scale 256
      {"6k1/8/8/4N3/8/8/8/R3K3 w - - 0 1", 6},       // 825: scale 29, 1711 >> 8
      {"6k1/8/8/4N3/8/8/8/4K3 w - - 0 1", 0},        // 325: below a rook's worth
  };
  for (const Case& c : cases) {
    const EvalState s = kingOnly(boardFromFen(c.fen), Black, knight);
    EXPECT_EQ(s.kingAttackCount[White], 2);
    EXPECT_EQ(s.kingAttackWeight[White], 14);
    EXPECT_EQ(s.kingDanger[Black], c.penalty) << c.fen;
    EXPECT_EQ(s.opening, -400 + c.penalty) << c.fen;
    EXPECT_EQ(s.endgame, c.penalty) << c.fen;
  }
  const int saved = param::KingSafetyPercent;
  param::KingSafetyPercent = 50;  // 59 * 50 / 100
  const EvalState half = kingOnly(boardFromFen(cases[0].fen), Black, knight);
  param::KingSafetyPercent = saved;
  EXPECT_EQ(half.kingDanger[Black], 29);
}

TEST(KingTerms, UnstoppablePasserBonus) {
  const Board bare = boardFromFen("4k3/8/8/8/8/8/8/4K3 w - - 0 1");
  const Board knight = boardFromFen("4k3/8/8/8/8/8/8/n3K3 w - - 0 1");
  struct Case {
    const Board* board;
    int white, black, bonus;
  } cases[] = {
      {&bare, 3, 0, 900}, {&bare, 3, 4, 900}, {&bare, 3, 3, 0},
      {&bare, 3, 2, 0},   {&bare, 0, 0, 0},   {&knight, 3, 0, 0},
  };
  for (const Case& c : cases) {
    EvalState s = termState(*c.board), plain = s;
    s.unstoppable[White] = c.white;
    s.unstoppable[Black] = c.black;
    kingTerms(s, White, E1);
    kingTerms(plain, White, E1);
    EXPECT_EQ(s.opening - plain.opening, c.bonus) << c.white << " " << c.black;
    EXPECT_EQ(s.endgame - plain.endgame, c.bonus) << c.white << " " << c.black;
  }
}
