#include "eval/eval_masks.h"

#include <algorithm>

#include "eval/params.h"

Bitboard frontFile[2][64];
Bitboard frontSpan[2][64];
Bitboard adjacentFiles[64];
Bitboard stormZone[2][64];
Bitboard shieldZone[2][64];
Bitboard shelterZone[2][64];
MobilityTable mobilityTables[7];

namespace {

// Rows strictly ahead of `row` for White (toward row 0).
constexpr Bitboard rowsAhead(int row) { return row == 0 ? 0 : ~Bitboard{0} >> (64 - 8 * row); }

constexpr Bitboard filesAround(int file) {
  return (file > 0 ? fileBits(file - 1) : 0) | (file < 7 ? fileBits(file + 1) : 0);
}

// Reversing the bytes swaps row r with row 7 - r: White's mask seen from Black's side.
constexpr Bitboard mirrorRows(Bitboard b) { return __builtin_bswap64(b); }

static_assert(rowsAhead(1) == rowBits(0) && rowsAhead(7) == ~rowBits(7));
static_assert(mirrorRows(rowBits(1) | fileBits(0)) == (rowBits(6) | fileBits(0)));

// Enemy pawns only storm a king that has gone to a wing: the two edge files on its side, from
// the rank ahead up; a king on the b or g file also counts the corner file beside it.
Bitboard whiteStormZone(int k) {
  const int file = fileOf(k), row = rowOf(k);
  if (file >= 2 && file <= 5) return 0;
  const int edge = file < 2 ? 0 : 7;
  const Bitboard wing = fileBits(edge) | fileBits(file < 2 ? 1 : 6);
  Bitboard zone = wing & rowsAhead(row);
  if (file != edge) zone |= bitOf(makeSquare(row, edge));
  return zone;
}

// The storm squares close enough to shelter the king; none once it has walked up the board.
Bitboard whiteShieldZone(int k) {
  const int row = rowOf(k);
  if (row < 4) return 0;
  return whiteStormZone(k) & (rowBits(row) | rowBits(row - 1) | rowBits(row - 2));
}

Bitboard whiteShelterZone(int k) {
  const int file = fileOf(k), row = rowOf(k);
  Bitboard files = fileBits(file) | filesAround(file);
  Bitboard rows = rowBits(row) | (row > 0 ? rowBits(row - 1) : 0);
  return files & rows;
}

void initPawnMasks() {
  for (int s = 0; s < 64; ++s) {
    const int file = fileOf(s), row = rowOf(s);
    const Bitboard whiteAhead = rowsAhead(row);
    const Bitboard blackAhead = mirrorRows(rowsAhead(7 - row));
    adjacentFiles[s] = filesAround(file);
    frontFile[White][s] = fileBits(file) & whiteAhead;
    frontFile[Black][s] = fileBits(file) & blackAhead;
    frontSpan[White][s] = (fileBits(file) | adjacentFiles[s]) & whiteAhead;
    frontSpan[Black][s] = (fileBits(file) | adjacentFiles[s]) & blackAhead;
  }
}

void initKingMasks() {
  for (int k = 0; k < 64; ++k) {
    stormZone[White][k] = whiteStormZone(k);
    shieldZone[White][k] = whiteShieldZone(k);
    shelterZone[White][k] = whiteShelterZone(k);
    stormZone[Black][flipSquare(k)] = mirrorRows(stormZone[White][k]);
    shieldZone[Black][flipSquare(k)] = mirrorRows(shieldZone[White][k]);
    shelterZone[Black][flipSquare(k)] = mirrorRows(shelterZone[White][k]);
  }
}

// Built-in mobility weights, millipawns, by the number of squares counted.
constexpr int knightMobility[2][9] = {{-14, -9, -4, 0, 5, 10, 12, 15, 15}, {-12, -8, -4, 0, 3, 7, 9, 11, 11}};
constexpr int bishopMobility[2][15] = {{-9, -3, 1, 7, 12, 18, 22, 25, 28, 29, 30, 30, 31, 31, 32},
                                       {-11, -5, 0, 5, 10, 16, 20, 23, 25, 27, 28, 29, 29, 29, 29}};
constexpr int rookMobility[2][15] = {{-7, -4, -2, 0, 2, 4, 5, 7, 9, 10, 11, 11, 11, 12, 12},
                                     {-13, -6, 0, 5, 11, 18, 24, 31, 37, 41, 43, 45, 45, 46, 46}};
constexpr int queenMobility[2][16] = {{-3, -2, -1, 0, 0, 0, 1, 2, 3, 4, 5, 6, 6, 7, 7, 8},
                                      {-6, -4, -2, 0, 1, 3, 5, 7, 9, 11, 13, 13, 14, 14, 14, 14}};

template <int N>
void scaleMobility(MobilityTable& table, const int (&weights)[2][N]) {
  table = MobilityTable{};
  for (int i = 0; i < N; ++i) {
    table.opening[i] = weights[0][i] * param::MobilityPercent / 100;
    table.endgame[i] = weights[1][i] * param::MobilityPercent / 100;
  }
}

}  // namespace

void initEvalMasks() {
  // The mobility tables keep the weights of the first build: a later MobilityPercent is only
  // stored, so a repeated call must not rebuild them.
  static bool built = false;
  if (built) return;
  built = true;
  initPawnMasks();
  initKingMasks();
  scaleMobility(mobilityTables[Knight], knightMobility);
  scaleMobility(mobilityTables[Bishop], bishopMobility);
  scaleMobility(mobilityTables[Rook], rookMobility);
  scaleMobility(mobilityTables[Queen], queenMobility);
}
