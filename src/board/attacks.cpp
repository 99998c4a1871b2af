#include "board/attacks.h"

#include <algorithm>
#include <cstdlib>

Bitboard pawnAttackSources[2][64];
Bitboard knightAttacks[64];
Bitboard kingAttacks[64];
uint8_t direction[64][64];
Bitboard ray[8][64];
Bitboard between[64][64];
Bitboard bishopReach[64];
Bitboard rookReach[64];
uint8_t kingDistance[64][64];
uint8_t neighbours[64][64];

SliderMagic rookMagics[64];
SliderMagic bishopMagics[64];

namespace {

// Row and file steps of the eight directions, in the order of directionStep.
constexpr int rowStep[8] = {0, -1, -1, -1, 0, 1, 1, 1};
constexpr int fileStep[8] = {-1, -1, 0, 1, 1, 1, 0, -1};

// Sum over the squares of 2^popCount(mask).
Bitboard rookTable[102400];
Bitboard bishopTable[5248];

// The square one step from s in direction d, or -1 off the board.
int stepFrom(int s, int d) {
  const int row = rowOf(s) + rowStep[d], file = fileOf(s) + fileStep[d];
  return onBoard(row, file) ? makeSquare(row, file) : -1;
}

Bitboard leaperSet(int s, const int (&steps)[8][2]) {
  Bitboard set = 0;
  for (const auto& step : steps) {
    const int row = rowOf(s) + step[0], file = fileOf(s) + step[1];
    if (onBoard(row, file)) set |= bitOf(makeSquare(row, file));
  }
  return set;
}

void initLeapers() {
  constexpr int knightSteps[8][2] = {{-2, -1}, {-2, 1}, {-1, -2}, {-1, 2}, {1, -2}, {1, 2}, {2, -1}, {2, 1}};
  constexpr int kingSteps[8][2] = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1}, {0, 1}, {1, -1}, {1, 0}, {1, 1}};
  for (int s = 0; s < 64; ++s) {
    knightAttacks[s] = leaperSet(s, knightSteps);
    kingAttacks[s] = leaperSet(s, kingSteps);
    // A white pawn attacks toward row 0, so the white pawns that hit s stand one row below it.
    Bitboard white = 0, black = 0;
    if (rowOf(s) < 7) {
      if (fileOf(s) > 0) white |= bitOf(s + 7);
      if (fileOf(s) < 7) white |= bitOf(s + 9);
    }
    if (rowOf(s) > 0) {
      if (fileOf(s) < 7) black |= bitOf(s - 7);
      if (fileOf(s) > 0) black |= bitOf(s - 9);
    }
    pawnAttackSources[White][s] = white;
    pawnAttackSources[Black][s] = black;
  }
}

void initLines() {
  for (int d = 0; d < 8; ++d) {
    for (int s = 0; s < 64; ++s) {
      Bitboard r = 0;
      for (int t = stepFrom(s, d); t >= 0; t = stepFrom(t, d)) r |= bitOf(t);
      ray[d][s] = r;
    }
  }
  for (int a = 0; a < 64; ++a) {
    for (int b = 0; b < 64; ++b) {
      direction[a][b] = NoDirection;
      between[a][b] = 0;
      for (int d = 0; d < 8; ++d) {
        if (ray[d][b] & bitOf(a)) {
          direction[a][b] = uint8_t(d);
          between[a][b] = ray[d][b] & ray[(d + 4) & 7][a];
        }
      }
      const int distance = std::max(std::abs(rowOf(a) - rowOf(b)), std::abs(fileOf(a) - fileOf(b)));
      kingDistance[a][b] = uint8_t(distance);
      neighbours[a][b] = distance < 2;
    }
  }
  for (int s = 0; s < 64; ++s) {
    bishopReach[s] = ray[1][s] | ray[3][s] | ray[5][s] | ray[7][s];
    rookReach[s] = ray[0][s] | ray[2][s] | ray[4][s] | ray[6][s];
  }
}

// Attacks along the given directions, each ray ending on (and including) its first blocker.
Bitboard slide(int s, Bitboard occupancy, const int (&dirs)[4]) {
  Bitboard set = 0;
  for (int d : dirs) {
    for (int t = stepFrom(s, d); t >= 0; t = stepFrom(t, d)) {
      set |= bitOf(t);
      if (occupancy & bitOf(t)) break;
    }
  }
  return set;
}

// The rays without their last square: a blocker on the edge changes nothing.
Bitboard relevantMask(int s, const int (&dirs)[4]) {
  Bitboard mask = 0;
  for (int d : dirs) {
    for (int t = stepFrom(s, d); t >= 0 && stepFrom(t, d) >= 0; t = stepFrom(t, d)) mask |= bitOf(t);
  }
  return mask;
}

// Subset number i of mask: the mask's bits, lowest first, selected by the bits of i.
Bitboard maskSubset(Bitboard mask, int i) {
  Bitboard subset = 0;
  for (int k = 0; mask; ++k) {
    const int s = popLowest(mask);
    if (i >> k & 1) subset |= bitOf(s);
  }
  return subset;
}

// Fills one slider's per-square tables, laid end to end in `table`.
void initSlider(SliderMagic (&magics)[64], const Bitboard (&numbers)[64], Bitboard* table,
                const int (&dirs)[4]) {
  Bitboard* next = table;
  for (int s = 0; s < 64; ++s) {
    SliderMagic& m = magics[s];
    m.mask = relevantMask(s, dirs);
    m.magic = numbers[s];
    m.shift = 64 - popCount(m.mask);
    m.attacks = next;
    const int entries = 1 << popCount(m.mask);
    for (int i = 0; i < entries; ++i) {
      const Bitboard occupancy = maskSubset(m.mask, i);
      next[(occupancy * m.magic) >> m.shift] = slide(s, occupancy, dirs);
    }
    next += entries;
  }
}

}  // namespace

void initAttackTables() {
  initLeapers();
  initLines();
  constexpr int rookDirs[4] = {0, 2, 4, 6};
  constexpr int bishopDirs[4] = {1, 3, 5, 7};
  initSlider(rookMagics, rookMagicNumbers, rookTable, rookDirs);
  initSlider(bishopMagics, bishopMagicNumbers, bishopTable, bishopDirs);
}
