// Piece-square tables in millipawns: [phase][colour][piece][square]; Black's mirror White's.
#pragma once

#include <cstdint>

enum Phase : int { Opening = 0, Endgame = 1 };

extern int16_t pieceSquareTables[2][2][7][64];

void initPieceSquareTables();
