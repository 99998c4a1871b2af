// The state the evaluation builds before its pawn, piece and king terms run, for term tests.
#pragma once

#include <initializer_list>

#include "board/attacks.h"
#include "board/test_positions.h"
#include "eval/eval_masks.h"
#include "eval/evaluator.h"
#include "eval/psqt.h"
#include "eval/terms.h"

inline Bitboard squares(std::initializer_list<int> list) {
  Bitboard b = 0;
  for (int sq : list) b |= bitOf(sq);
  return b;
}

inline Bitboard pawnForward(int colour, Bitboard b) { return colour == White ? b >> 8 : b << 8; }

// King zones, the king and pawn attack maps with their pressure on the king zones, and the
// piece sets, as the evaluation has them before the pawn structure is scored; the sums start
// at 0 so that a test sees only what the terms add.
inline EvalState termState(const Board& b) {
  initPieceSquareTables();
  initEvalMasks();
  EvalState s;
  s.board = &b;
  s.turn = b.turn();
  s.inCheck = b.inCheck();
  s.nonPawn[White] = b.mat.tmatWhite;
  s.nonPawn[Black] = b.mat.tmat - b.mat.tmatWhite;
  s.occupancy = b.occupancy();
  for (int c : {White, Black}) {
    const Bitboard king = kingAttacks[b.kingSquare(c)];
    s.kingBit[c] = bitOf(b.kingSquare(c));
    s.kingZone[c] = king | pawnForward(c, king);
    s.attacks[c][King] = s.attacks[c][0] = king;
    s.heavy[c] = b.pieces(Rook, c) | b.pieces(Queen, c);
    s.pieces[c] = s.heavy[c] | b.pieces(Knight, c) | b.pieces(Bishop, c);
    s.bare[c] = s.pieces[c] == 0 && b.pieces(Pawn, c) == 0;
  }
  for (int c : {White, Black}) {
    Bitboard hits = 0;
    for (Bitboard p = b.pieces(Pawn, c); p;) hits |= pawnAttacks(c, popLowest(p));
    s.attacks[c][Pawn] = hits;
    s.attacks[c][0] |= hits;
    s.kingAttackCount[c] = popCount(hits & s.kingZone[c ^ 1]);
    s.kingAttackWeight[c] = 2 * s.kingAttackCount[c];
  }
  return s;
}

// termState with the passers of the pawn structure known, the sums back at 0.
inline EvalState termStateWithPassers(const Board& b) {
  EvalState s = termState(b);
  PawnEntry scratch;
  scratch.key = ~b.pawnKey;
  pawnStructure(s, scratch);
  s.opening = s.endgame = 0;
  return s;
}

// Every pawn, piece and king term in the evaluation's order.
inline EvalState allTerms(const Board& b) {
  EvalState s = termState(b);
  PawnEntry entry;
  entry.key = ~b.pawnKey;
  pawnStructure(s, entry);
  passerDynamics(s);
  void (*const terms[])(EvalState&, int, int) = {knightTerms, bishopTerms, rookTerms, queenTerms};
  for (int piece = Knight; piece <= Queen; ++piece) {
    for (int c : {White, Black}) {
      for (Bitboard set = b.pieces(piece, c); set;) terms[piece - Knight](s, c, popLowest(set));
    }
  }
  kingTerms(s, White, b.kingSquare(White));
  kingTerms(s, Black, b.kingSquare(Black));
  return s;
}
