// The evaluator as a whole: colour symmetry over many positions (every term scores both colours
// by the same rules; the values themselves are held by the bench signature), the king zones, the
// cache, the lazy exit, the known endings and the global terms.
#include <gtest/gtest.h>

#include <memory>
#include <initializer_list>
#include <random>
#include <utility>

#include "board/makemove.h"
#include "board/movegen.h"
#include "board/test_positions.h"
#include "eval/eval_masks.h"
#include "eval/evaluator.h"
#include "eval/params.h"
#include "eval/quick_eval.h"

namespace {

constexpr int Widest = 32767;

int evalFen(const char* fen) {
  const Board b = boardFromFen(fen);
  auto e = std::make_unique<BitEval>();
  return e->evaluate(b, -Widest, Widest);
}

// Positions from random games out of the perft suites' starting points: openings, middlegames,
// endings, promotions, castling and en passant all come up.
std::vector<Board> variedPositions(int count) {
  std::vector<Board> out;
  std::mt19937 rng(99);
  const auto suite = loadPerftSuite("perftsuite.epd");
  while (int(out.size()) < count) {
    Board b = boardFromFen(suite[rng() % suite.size()].fen.c_str());
    for (int ply = 0, length = int(rng() % 80); ply < length; ++ply) {
      Move moves[MaxMoves];
      const int n = generateMoves(b, moves);
      if (n == 0) break;
      doMove(b, moves[rng() % n]);
      out.push_back(b);
    }
  }
  out.resize(count);
  return out;
}

}  // namespace

TEST(Evaluator, ColourFlippedTwinsScoreAlike) {
  auto e = std::make_unique<BitEval>();
  auto twin = std::make_unique<BitEval>();
  int worst = 0;
  for (const Board& b : variedPositions(4000)) {
    Board flipped = b;
    flipBoard(flipped);
    const int a = e->evaluate(b, -Widest, Widest), f = twin->evaluate(flipped, -Widest, Widest);
    // Arithmetic shifts of negative sums round one way for both colours: at most 1 apart.
    ASSERT_LE(std::abs(a - f), 1) << boardToFen(b) << " scores " << a << ", its twin " << f;
    worst = std::max(worst, std::abs(a - f));
    EXPECT_EQ(e->kingDanger(White), twin->kingDanger(Black)) << boardToFen(b);
    EXPECT_LE(std::abs(quickEval(b) - quickEval(flipped)), 1) << boardToFen(b);
  }
  RecordProperty("worst", worst);
}

// The zones the king terms read for a castled king (a fault here can hide from the bench), and
// the mobility tables.
TEST(Evaluator, KingZonesAndMobilityTables) {
  const auto squares = [](std::initializer_list<int> list) {
    Bitboard b = 0;
    for (int sq : list) b |= bitOf(sq);
    return b;
  };
  EXPECT_EQ(stormZone[White][G1], ((fileBits(6) | fileBits(7)) & ~rowBits(7)) | bitOf(H1));
  EXPECT_EQ(shieldZone[White][G1], squares({H1, G2, H2, G3, H3}));
  EXPECT_EQ(shelterZone[White][G1], squares({F1, G1, H1, F2, G2, H2}));
  EXPECT_EQ(shieldZone[Black][G8], squares({H8, G7, H7, G6, H6}));
  EXPECT_EQ(stormZone[White][E1], 0u);
  // The mobility tables keep the weights of their first build.
  const int32_t saved = std::exchange(param::MobilityPercent, 0);
  initEvalMasks();
  param::MobilityPercent = saved;
  EXPECT_EQ(mobilityTables[Queen].opening[15], 8);
  EXPECT_EQ(mobilityTables[Rook].endgame[0], -13);
}

TEST(Evaluator, CacheReturnsTheSameScoreAndLazyExitSkipsIt) {
  auto e = std::make_unique<BitEval>();
  e->skill = 0;  // noise would show a recomputation
  Board b = boardFromFen("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3");
  const int first = e->evaluate(b, -Widest, Widest);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(e->evaluate(b, -Widest, Widest), first);

  // White a knight up with plenty of material: far outside the window, material answers.
  Board up = boardFromFen("r1bqkb1r/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 0 5");
  const int m = up.mat.dmat;
  EXPECT_EQ(e->evaluate(up, m + 201, m + 300), m);
  // The lazy exit wrote nothing: a full evaluation follows and is then cached.
  e->skill = 100;
  const int full = e->evaluate(up, -Widest, Widest);
  EXPECT_NE(full, m);
  EXPECT_EQ(e->evaluate(up, m + 201, m + 300), full);
  // Too little material on the board for material alone to answer.
  Board few = boardFromFen("4k3/8/8/8/8/8/8/R3K2R w - - 0 1");
  ASSERT_LT(few.mat.tmat, 2200);
  EXPECT_NE(e->evaluate(few, 5000, 6000), few.mat.dmat);
}

TEST(Evaluator, CachedKingDangerSaturatesAtTheTopOfItsRange) {
  auto e = std::make_unique<BitEval>();
  // Queen, knight and rooks at Black's king, with the weights raised within their ranges.
  const Board b = boardFromFen("r5k1/5p1p/6pQ/6N1/8/5N2/5PPP/3RR1K1 w - - 0 1");
  const int32_t safety = std::exchange(param::KingSafetyPercent, 1000);
  const int32_t weight = std::exchange(param::QueenAttackWeightMP, 10000);
  e->evaluate(b, -Widest, Widest);
  const int danger = e->kingDanger(Black);
  e->evaluate(b, -Widest, Widest);  // from the cache
  EXPECT_GT(danger, 32767);
  EXPECT_EQ(e->kingDanger(Black), 32767);
  param::KingSafetyPercent = safety;
  param::QueenAttackWeightMP = weight;
}

// Known endings and the queen's contact mate: the cases are in tests/data/cases/evaluations.txt.
TEST(Evaluator, KnownEndingsAndContactMate) {
  for (const CaseLine& c : loadCases("cases/evaluations.txt")) {
    const int got = evalFen(c[0].c_str());
    EXPECT_TRUE(holds(got, c[1], std::stoi(c[2]))) << c[0] << ": " << got << " " << c[1] << " " << c[2];
  }
}

TEST(Evaluator, SkillAddsBoundedNoise) {
  auto e = std::make_unique<BitEval>();
  e->skill = 0;
  e->setCacheLookupsOff(true);
  const Board b = startBoard();
  int lo = 0, hi = 0;
  for (int i = 0; i < 2000; ++i) {
    const int v = e->evaluate(b, -Widest, Widest);
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
  EXPECT_LT(lo, -5000);
  EXPECT_GT(hi, 5000);
  EXPECT_GE(lo, -10100);
  EXPECT_LE(hi, 10100);
  e->skill = 100;
  EXPECT_EQ(e->evaluate(b, -Widest, Widest), e->evaluate(b, -Widest, Widest));
}
