// Slider tables and lines against slow square-by-square stepping. The leaper tables are left to
// the perft trees, which cross every one of them.
#include "board/attacks.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
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
  initEngineTables();
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
  }
}

TEST(Attacks, LinesBetweenSquares) {
  initEngineTables();
  EXPECT_EQ(direction[A8][H1], 1);  // a8 lies north-west of h1
  EXPECT_EQ(direction[E4][E1], 2);
  EXPECT_EQ(direction[B1][E5], NoDirection);
  EXPECT_EQ(direction[E4][E4], NoDirection);
  for (int a = 0; a < 64; ++a) {
    for (int b = 0; b < 64; ++b) {
      const int d = direction[a][b];
      const int distance = std::max(std::abs(rowOf(a) - rowOf(b)), std::abs(fileOf(a) - fileOf(b)));
      EXPECT_EQ(kingDistance[a][b], distance);
      EXPECT_EQ(neighbours[a][b], distance < 2);
      if (d == NoDirection) {
        EXPECT_EQ(between[a][b], 0u);
        continue;
      }
      // a is reached from b by repeating one step; between holds exactly the squares passed.
      EXPECT_EQ(direction[b][a], (d + 4) & 7);
      ASSERT_TRUE(ray[d][b] & bitOf(a)) << a << " " << b;
      Bitboard passed = 0;
      for (int s = b + directionStep[d]; s != a; s += directionStep[d]) passed |= bitOf(s);
      EXPECT_EQ(between[a][b], passed) << a << " " << b;
      EXPECT_EQ(between[b][a], passed);
      EXPECT_EQ(ray[d][b], bitOf(a) | passed | ray[d][a]);
    }
  }
  for (int s = 0; s < 64; ++s) {
    EXPECT_EQ(rookReach[s], slowSlide(s, 0, rookDirections));
    EXPECT_EQ(bishopReach[s], slowSlide(s, 0, bishopDirections));
  }
}
