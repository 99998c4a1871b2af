// The state the evaluation builds before its pawn, piece and king terms run, for term tests.
#pragma once

#include <initializer_list>

#include "board/attacks.h"
#include "board/test_positions.h"
#include "eval/evaluator.h"
#include "eval/terms.h"

inline Bitboard squares(std::initializer_list<int> list) {
  Bitboard b = 0;
  for (int sq : list) b |= bitOf(sq);
  return b;
}

// The state as the evaluation has it before the pawn structure is scored, with the sums at 0
// so that a test sees only what the terms add.
inline EvalState termState(const Board& b) {
  EvalState s;
  prepareEvalState(s, b);
  s.opening = s.endgame = 0;
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
