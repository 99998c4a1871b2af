// Bit utilities over 64-bit square sets.
#pragma once

#include "board/types.h"

extern uint8_t popCount16[65536];

void initBitTables();

inline int popCount(Bitboard b) {
#if defined(__POPCNT__)
  return __builtin_popcountll(b);
#else
  return popCount16[b & 0xFFFF] + popCount16[(b >> 16) & 0xFFFF] + popCount16[(b >> 32) & 0xFFFF] +
         popCount16[b >> 48];
#endif
}

inline int lowestSquare(Bitboard b) { return __builtin_ctzll(b); }
inline int highestSquare(Bitboard b) { return 63 - __builtin_clzll(b); }

inline int popLowest(Bitboard& b) {
  int sq = lowestSquare(b);
  b &= b - 1;
  return sq;
}

// Writes the set squares in increasing order; returns their count. With no list, only counts.
int squaresOf(Bitboard b, uint8_t* out = nullptr);

constexpr bool moreThanOne(Bitboard b) { return (b & (b - 1)) != 0; }
