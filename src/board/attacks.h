// Attack tables built once at start-up: leapers, lines between squares, magic sliders.
#pragma once

#include "board/bitboard.h"

// Directions as seen on the board (a8 = 0): 0 west, 1 north-west, 2 north, 3 north-east,
// 4 east, 5 south-east, 6 south, 7 south-west. Odd ones are diagonals. 0-3 run toward lower
// squares, so the nearest piece on such a ray is its highest bit; on 4-7 the lowest.
constexpr int directionStep[8] = {-1, -9, -8, -7, 1, 9, 8, 7};
constexpr int NoDirection = 8;

extern Bitboard pawnAttackSources[2][64];  // [c][s]: squares from which a c pawn attacks s
extern Bitboard knightAttacks[64];
extern Bitboard kingAttacks[64];
extern uint8_t direction[64][64];  // direction in which a lies as seen from b, else 8
extern Bitboard ray[8][64];
extern Bitboard between[64][64];
extern Bitboard bishopReach[64];  // on an empty board
extern Bitboard rookReach[64];
extern uint8_t kingDistance[64][64];
extern uint8_t neighbours[64][64];  // king distance below 2

// Squares a pawn of colour c on s attacks.
inline Bitboard pawnAttacks(int c, int s) { return pawnAttackSources[c ^ 1][s]; }

void initAttackTables();

// One slider's lookup on one square: index = ((occupancy & mask) * magic) >> shift.
struct SliderMagic {
  Bitboard mask;  // empty-board rays without their edge squares
  Bitboard magic;
  const Bitboard* attacks;  // 2^popCount(mask) entries
  int shift;                // 64 - popCount(mask)
};

extern const Bitboard rookMagicNumbers[64];  // found by tools/find_magics.cpp
extern const Bitboard bishopMagicNumbers[64];
extern SliderMagic rookMagics[64];
extern SliderMagic bishopMagics[64];

inline Bitboard sliderAttacks(const SliderMagic& m, Bitboard occupancy) {
  return m.attacks[((occupancy & m.mask) * m.magic) >> m.shift];
}
// Starts loading the entry a lookup will read, for a lookup soon after.
inline void prefetchSliderAttacks(const SliderMagic& m, Bitboard occupancy) {
  __builtin_prefetch(&m.attacks[((occupancy & m.mask) * m.magic) >> m.shift]);
}
inline Bitboard rookAttacks(int s, Bitboard occupancy) { return sliderAttacks(rookMagics[s], occupancy); }
inline Bitboard bishopAttacks(int s, Bitboard occupancy) { return sliderAttacks(bishopMagics[s], occupancy); }
inline Bitboard queenAttacks(int s, Bitboard occupancy) {
  return rookAttacks(s, occupancy) | bishopAttacks(s, occupancy);
}

// Nearest set square of `pieces` along ray d from s, or -1.
inline int nearestOnRay(int d, int s, Bitboard pieces) {
  Bitboard b = ray[d][s] & pieces;
  if (!b) return -1;
  return d < 4 ? highestSquare(b) : lowestSquare(b);
}

// Squares a knight, bishop, rook, queen or king on s attacks.
inline Bitboard pieceAttacks(int piece, int s, Bitboard occupancy) {
  switch (piece) {
    case Knight:
      return knightAttacks[s];
    case Bishop:
      return bishopAttacks(s, occupancy);
    case Rook:
      return rookAttacks(s, occupancy);
    case Queen:
      return queenAttacks(s, occupancy);
    default:
      return kingAttacks[s];
  }
}
