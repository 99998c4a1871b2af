// A chosen strength: the level table's shape, and weakened searches that replay move for move.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "board/history.h"
#include "board/movetext.h"
#include "board/test_positions.h"
#include "search/strength.h"
#include "search/think.h"

namespace {

const char* const middlegames[] = {
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r1bq1rk1/pp2bppp/2n1pn2/2pp4/3P4/2PBPN2/PP1N1PPP/R1BQ1RK1 w - - 0 8",
    "2rq1rk1/pb1nbppp/1p2pn2/2pp4/2PP4/1PN1PN2/PB2BPPP/2RQ1RK1 w - - 0 11",
    "r2q1rk1/1b2bppp/p2ppn2/1p6/3NP3/1BN1B3/PPP2PPP/R2Q1RK1 w - - 0 11",
    "rnbqkb1r/pp3ppp/4pn2/2pp4/3P4/2P1PN2/PP3PPP/RNBQKB1R w KQkq - 0 5",
    "4rrk1/pp3ppp/2n5/3q4/3P4/P1B2Q2/5PPP/R4RK1 b - - 0 20",
};

// The move a fresh engine plays from `fen` at `elo` with `seed` (0: full strength), within a
// node count small enough that no clock can decide it.
std::string playedMove(const char* fen, int elo, uint32_t seed) {
  auto ctx = std::make_unique<SearchContext>();
  ctx->silent = true;
  ctx->board = boardFromFen(fen);
  historyClear(ctx->history);
  historyPush(ctx->history, ctx->board.hash, true);
  SearchLimits limits;
  limits.nodes = 20000;
  if (elo) limitStrength(limits, elo, seed);
  return moveToUci(think(*ctx, limits));
}

}  // namespace

// Higher levels see more and err less; names outside the scale take its ends.
TEST(Strength, LevelsGrowStrongerAlongTheScale) {
  StrengthLevel last = strengthAt(MinStrengthElo - 500);
  EXPECT_EQ(last.elo, MinStrengthElo);
  for (int elo = MinStrengthElo + 10; elo <= MaxStrengthElo; elo += 10) {
    const StrengthLevel level = strengthAt(elo);
    EXPECT_TRUE(level.nodes == 0 || (last.nodes != 0 && level.nodes >= last.nodes)) << elo;
    EXPECT_GE(level.depth, last.depth) << elo;
    EXPECT_LE(level.marginCp, last.marginCp) << elo;
    EXPECT_LE(level.noiseCp, last.noiseCp) << elo;
    last = level;
  }
  const StrengthLevel top = strengthAt(MaxStrengthElo + 500);
  EXPECT_EQ(top.elo, MaxStrengthElo);
  EXPECT_EQ(top.nodes, 0);  // the top of the scale is the engine unweakened
  EXPECT_EQ(top.marginCp + top.noiseCp, 0);
}

// A level and a seed replay their moves exactly; another seed, or full strength, plays
// differently somewhere, or the weakening would be no choice at all.
TEST(Strength, TheSameLevelAndSeedPlayTheSameMoves) {
  for (int elo : {1400, 2000}) {
    int differentSeed = 0, differentFromFull = 0;
    for (const char* fen : middlegames) {
      const std::string move = playedMove(fen, elo, 7);
      EXPECT_EQ(playedMove(fen, elo, 7), move) << elo << " " << fen;
      differentSeed += playedMove(fen, elo, 8) != move;
      differentFromFull += playedMove(fen, 0, 0) != move;
    }
    if (elo == 1400) {
      EXPECT_GT(differentSeed, 0);
    }
    EXPECT_GT(differentFromFull, 0) << elo;
  }
}

// A weakened root stores nothing of its own, so what the table holds for the root position comes
// from below it: an earlier search's fail-low with no move, or the root's own shallower search for
// a first move, which may fail low too. Neither may leave an iteration, its lines or the answer
// without a move, whatever the window and the noise.
TEST(Strength, EveryLineOfAWeakenedSearchNamesAMove) {
  for (const char* fen : middlegames) {
    for (uint32_t seed = 1; seed <= 12; ++seed) {
      auto ctx = std::make_unique<SearchContext>();
      ctx->board = boardFromFen(fen);
      historyClear(ctx->history);
      historyPush(ctx->history, ctx->board.hash, true);
      ASSERT_TRUE(ctx->tt.resize(1));
      if (seed == 1) ctx->tt.store(ctx->board.hash, 0, 30, BoundUpper, -950, Move{});
      SearchLimits limits;
      limits.nodes = 4000;
      limits.weakening = {int32_t(20 * (seed % 5)), int32_t(5 * (seed % 4)), seed, true};
      testing::internal::CaptureStdout();
      think(*ctx, limits);
      const std::string out = testing::internal::GetCapturedStdout();
      EXPECT_EQ(out.find("FATAL"), std::string::npos) << fen << " seed " << seed << "\n" << out;
      EXPECT_EQ(out.find(" pv \n"), std::string::npos) << fen << " seed " << seed << "\n" << out;
      EXPECT_NE(out.find("bestmove "), std::string::npos) << fen;
    }
  }
}
