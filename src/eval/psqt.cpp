#include "eval/psqt.h"

#include "board/types.h"

int16_t pieceSquareTables[2][2][7][64];

namespace {

// Centipawns, White's view, rank 8 first.
constexpr int8_t knightTable[64] = {
    -30, -20, -20, -10, -10, -20, -20, -30,  //
    -5,  7,   12,  15,  15,  12,  7,   -5,   //
    -5,  10,  20,  25,  25,  20,  10,  -5,   //
    -5,  12,  15,  30,  30,  15,  12,  -5,   //
    -5,  10,  20,  25,  25,  20,  10,  -5,   //
    -5,  0,   15,  10,  10,  15,  0,   -5,   //
    -5,  0,   0,   0,   0,   0,   0,   -5,   //
    -30, -20, -20, -10, -10, -20, -20, -30,
};
constexpr int8_t bishopOpening[64] = {
    -15, -15, -7,  -4,  -4,  -7,  -15, -15,  //
    -10, -5,  -5,  0,   0,   -5,  -5,  -10,  //
    -5,  -3,  6,   4,   4,   6,   -3,  -5,   //
    -3,  0,   4,   10,  10,  4,   0,   -3,   //
    -3,  0,   4,   10,  10,  4,   0,   -3,   //
    -5,  -3,  6,   4,   4,   6,   -3,  -5,   //
    -10, 0,   -5,  0,   0,   -5,  0,   -10,  //
    -20, -20, -20, -10, -10, -20, -20, -20,
};
constexpr int8_t bishopEndgame[64] = {
    -30, -20, -10, -10, -10, -10, -20, -30,  //
    -20, -10, 0,   0,   0,   0,   -10, -20,  //
    -10, 0,   2,   4,   4,   2,   0,   -10,  //
    -10, 0,   4,   7,   7,   4,   0,   -10,  //
    -10, 0,   4,   7,   7,   4,   0,   -10,  //
    -10, 0,   2,   4,   4,   2,   0,   -10,  //
    -20, -10, 0,   0,   0,   0,   -10, -20,  //
    -30, -20, -10, -10, -10, -10, -20, -30,
};
constexpr int8_t kingOpening[64] = {
    -50, -50, -50, -50, -50, -50, -50, -50,  //
    -50, -50, -50, -50, -50, -50, -50, -50,  //
    -50, -50, -50, -50, -50, -50, -50, -50,  //
    -50, -50, -50, -50, -50, -50, -50, -50,  //
    -50, -50, -50, -50, -50, -50, -50, -50,  //
    -30, -30, -30, -30, -30, -30, -30, -30,  //
    10,  10,  0,   -10, -10, 0,   10,  10,   //
    20,  40,  5,   0,   0,   5,   40,  20,
};
constexpr int8_t kingEndgame[64] = {
    -10, 0, 0,  0,  0,  0,  0, -10,  //
    0,   0, 0,  0,  0,  0,  0, 0,    //
    0,   0, 10, 30, 30, 10, 0, 0,    //
    0,   0, 30, 40, 40, 30, 0, 0,    //
    0,   0, 30, 40, 40, 30, 0, 0,    //
    0,   0, 10, 30, 30, 10, 0, 0,    //
    0,   0, 0,  0,  0,  0,  0, 0,    //
    -10, 0, 0,  0,  0,  0,  0, -10,
};
// Pawns and rooks favour the centre files the same way on every rank.
constexpr int8_t pawnFiles[8] = {-12, -6, 0, 6, 6, 0, -6, -12};
constexpr int8_t rookFiles[8] = {-5, -2, 0, 5, 5, 0, -2, -5};

int pawnOpening(int sq) {
  const int file = fileOf(sq), rank = rankOf(sq);
  if ((file == 3 || file == 4) && rank >= 3 && rank <= 5) return rank == 4 ? 26 : 16;
  return pawnFiles[file];
}

void set(int phase, int piece, int sq, int centipawns) {
  pieceSquareTables[phase][White][piece][sq] = int16_t(10 * centipawns);
  pieceSquareTables[phase][Black][piece][flipSquare(sq)] = int16_t(10 * centipawns);
}

}  // namespace

void initPieceSquareTables() {
  for (int sq = 0; sq < 64; ++sq) {
    set(Opening, Pawn, sq, pawnOpening(sq));
    set(Endgame, Pawn, sq, pawnFiles[fileOf(sq)]);
    set(Opening, Knight, sq, knightTable[sq]);
    set(Endgame, Knight, sq, knightTable[sq]);
    set(Opening, Bishop, sq, bishopOpening[sq]);
    set(Endgame, Bishop, sq, bishopEndgame[sq]);
    set(Opening, Rook, sq, rookFiles[fileOf(sq)]);
    set(Endgame, Rook, sq, 0);
    set(Opening, King, sq, kingOpening[sq]);
    set(Endgame, King, sq, kingEndgame[sq]);
  }
}
