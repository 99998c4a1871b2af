// Zobrist keys, drawn from a fixed generator so every run (and every book file) agrees.
#pragma once

#include "board/types.h"

// Small 64-bit generator whose stream is part of the key format.
struct KeyRandom {
  uint64_t a = 0, b = 0, c = 0, d = 0;
  KeyRandom();  // seeded: 64 steps discarded
  uint64_t next();
};

extern uint64_t zobristTurn[2];
extern uint64_t zobristPiece[64][256];  // [square][key code, or an OldBoard square byte]
extern uint64_t zobristEp[64];
extern uint64_t zobristCastle[2][137];  // [colour][castRights byte]

void initKeys();

inline uint64_t pieceKey(int colour, int piece, int sq) { return zobristPiece[sq][keyCode(colour, piece)]; }
