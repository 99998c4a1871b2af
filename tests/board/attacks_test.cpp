// Slider tables against slow square-by-square stepping. The leaper tables and the lines between
// squares are left to the perft trees, which cross every one of them (a square missing from a
// line fails the perft counts and the node-by-node cross-check).
#include "board/attacks.h"

#include <gtest/gtest.h>

#include <array>
#include <random>

#include "board/test_positions.h"

namespace {

using Directions = std::array<int, 4>;
constexpr Directions rookDirections = {0, 2, 4, 6}, bishopDirections = {1, 3, 5, 7};
constexpr int rowSteps[8] = {0, -1, -1, -1, 0, 1, 1, 1};
constexpr int fileSteps[8] = {-1, -1, 0, 1, 1, 1, 0, -1};

Bitboard slowSlide(int s, Bitboard occupancy, const Directions& dirs) {
  Bitboard set = 0;
  for (int d : dirs) {
    for (int r = rowOf(s) + rowSteps[d], f = fileOf(s) + fileSteps[d]; onBoard(r, f);
         r += rowSteps[d], f += fileSteps[d]) {
      set |= bitOf(makeSquare(r, f));
      if (occupancy & bitOf(makeSquare(r, f))) break;
    }
  }
  return set;
}

}  // namespace

// Every subset of every mask, so every magic is proven free of harmful collisions; bits outside
// the mask must not matter either.
TEST(Attacks, MagicLookupsMatchSteppingForEverySubset) {
  std::mt19937_64 rng(7);
  for (int s = 0; s < 64; ++s) {
    for (int kind = 0; kind < 2; ++kind) {
      const SliderMagic& m = kind == 0 ? rookMagics[s] : bishopMagics[s];
      const Directions& dirs = kind == 0 ? rookDirections : bishopDirections;
      ASSERT_EQ(m.shift, 64 - popCount(m.mask));
      Bitboard subset = 0;
      do {
        const Bitboard occupancy = subset | (rng() & ~m.mask);
        ASSERT_EQ(sliderAttacks(m, occupancy), slowSlide(s, occupancy, dirs)) << "square " << s;
        subset = (subset - m.mask) & m.mask;
      } while (subset);
    }
    EXPECT_EQ(rookReach[s], slowSlide(s, 0, rookDirections));
    EXPECT_EQ(bishopReach[s], slowSlide(s, 0, bishopDirections));
  }
}
