#include "board/bitboard.h"

uint8_t popCount16[65536];

void initBitTables() {
  for (int i = 1; i < 65536; ++i) popCount16[i] = uint8_t(popCount16[i >> 1] + (i & 1));
}

int squaresOf(Bitboard b, uint8_t* out) {
  if (!out) return popCount(b);
  int n = 0;
  while (b) out[n++] = uint8_t(popLowest(b));
  return n;
}
