// The evaluation tuner: its self-play games and training lines, its error on positions whose
// scores are known, its parameters kept inside their ranges, and a short run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "self_play.h"
#include "tuning.h"

// A game cut off by its length is a draw for every position it kept; a game whose first search
// scores beyond the balance keeps none, and one exactly at it is kept.
TEST(Tuner, SelfPlayGamesKeepOneResultOrNothing) {
  auto ctx = std::make_unique<SearchContext>();
  SelfPlaySettings settings;
  settings.nodes = 300;
  settings.randomPlies = 0;
  settings.maxPlies = 30;
  settings.balance = 1;
  if (!playTrainingGame(*ctx, settings).empty()) GTEST_SKIP() << "the first search finds the sides level";
  const int first = std::abs(ctx->prevScore);  // a dropped game ends at its first search
  settings.balance = first;
  const std::vector<TrainingPosition> kept = playTrainingGame(*ctx, settings);
  ASSERT_FALSE(kept.empty());
  for (const TrainingPosition& p : kept) EXPECT_EQ(p.result, 0.5) << p.fen;
  settings.balance = first - 1;
  EXPECT_TRUE(first == 1 || playTrainingGame(*ctx, settings).empty());
}

TEST(Tuner, TrainingLinesCarryTheResult) {
  TrainingPosition p;
  ASSERT_TRUE(parseTrainingLine(trainingLine("4k3/8/8/8/8/8/8/4K3 b - - 3", 0), p));
  EXPECT_EQ(p.fen, "4k3/8/8/8/8/8/8/4K3 b - - 3");
  EXPECT_EQ(p.result, 0);
  EXPECT_FALSE(p.score);
  ASSERT_TRUE(parseTrainingLine("8/8/8/8/8/8/8/K6k w - - 0 c9 \"1/2-1/2\";", p));
  EXPECT_EQ(p.result, 0.5);
  // The search's score, when the game recorded it, rides along; a line without one has none.
  ASSERT_TRUE(parseTrainingLine(trainingLine("4k3/8/8/8/8/8/8/4K3 b - - 3", 1, -35), p));
  EXPECT_EQ(p.fen, "4k3/8/8/8/8/8/8/4K3 b - - 3");
  EXPECT_EQ(p.result, 1);
  EXPECT_EQ(p.score, -35);
  ASSERT_TRUE(parseTrainingLine("8/8/8/8/8/8/8/K6k w - - 0 c9 \"0-1\";", p));
  EXPECT_FALSE(p.score);
  for (const char* bad : {"", "# comment", " c9 \"1-0\";", "8/8/8/8/8/8/8/K6k w - - 0 c9 \"2-0\";",
                          "8/8/8/8/8/8/8/K6k w - - 0 c9 \"1-0", "8/8/8/8/8/8/8/K6k w - - 0 c9 \"1-0\"; ce x;",
                          "8/8/8/8/8/8/8/K6k w - - 0 c9 \"1-0\"; ce 12", "8/8/8/8/8/8/8/K6k w - - 0 c9 \"1-0\"; ce 99999;",
                          "8/8/8/8/8/8/8/K6k w - - 0 c9 \"1-0\"; ce -99999999999999999999;"})
    EXPECT_FALSE(parseTrainingLine(bad, p)) << bad;
}

// Bare kings score 0 whatever the parameters (an expected result of one half); a mated side's
// score is a mate (one or nothing). So the error is a quarter for each decided game between bare
// kings and nothing for the rest, at any scale.
TEST(Tuner, ErrorOfPositionsWhoseScoresAreKnown) {
  const char* bare = "4k3/8/8/8/8/8/8/4K3 w - - 0 1";
  EvaluationError error({{bare, 1, {}}, {bare, 0.5, {}}, {bare, 0, {}}, {"R5k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1", 1, {}},
                         {"6k1/8/8/8/8/8/5PPP/r5K1 w - - 0 1", 0, {}}});
  for (const double k : {1.0, 2.0, 4.0}) EXPECT_NEAR(error(k), 0.5 / 5, 1e-9) << k;

  // A recorded score moves the target by the weight the result does not have: a won game whose
  // search saw the bare kings level targets 3/4 at weight one half, 1/2 at weight nothing.
  EvaluationError scored({{bare, 1, 0}, {bare, 0, 0}, {bare, 0.5, {}}});
  EXPECT_NEAR(scored(2.0), 0.5 / 3, 1e-9);
  scored.resultWeight = 0.5;
  EXPECT_NEAR(scored(2.0), 0.125 / 3, 1e-9);
  scored.resultWeight = 0;
  EXPECT_NEAR(scored(2.0), 0, 1e-9);

  // The score is the side to move's: Black's -300 is White's +300, and either lifts a won
  // game's target above three quarters.
  EvaluationError whiteMoves({{bare, 1, 300}}), blackMoves({{"4k3/8/8/8/8/8/8/4K3 b - - 0 1", 1, -300}});
  whiteMoves.resultWeight = blackMoves.resultWeight = 0.5;
  EXPECT_GT(whiteMoves(2.0), 0.0625);
  EXPECT_NEAR(whiteMoves(2.0), blackMoves(2.0), 1e-12);
}

TEST(Tuner, ParametersStayInsideTheirRanges) {
  Param& p = *findParam("PawnValueCP");
  setParam(p, p.max - 2);
  EXPECT_TRUE(nudge(p, 5));
  EXPECT_EQ(getParam(p), p.max);
  EXPECT_FALSE(nudge(p, 1));
  setParam(p, p.min);
  EXPECT_FALSE(nudge(p, -1));
  EXPECT_EQ(getParam(p), p.min);
  resetAllParams();

  // The tunable ones are the evaluation's that a search's evaluation reads.
  const std::vector<Param*> tunable = tunableParams();
  EXPECT_EQ(tunable.size(), 35u);
  EXPECT_EQ(tunable.front()->name, "PawnValueCP");
  EXPECT_EQ(tunable.back()->name, "BackwardPawnEndgameMP");
}

// A short tuning run never raises the error, and leaves the parameters at what it reports. (The
// personality it writes is savePersonality's, whose round trip is the personality test's.)
TEST(Tuner, ShortRunNeverRaisesTheError) {
  resetAllParams();
  EvaluationError error({{"r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3", 1, {}},
                         {"4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", 0.5, {}},
                         {"4k3/pp6/8/8/8/8/6PP/4K3 w - - 0 1", 0, {}},
                         {"rnbqkbnr/pp1ppppp/8/2p5/4P3/8/PPPP1PPP/RNBQKBNR w KQkq c6 0 2", 1, {}}});
  const double before = error(1.0);
  TuneSettings settings;
  settings.passes = 2;
  const double after = tune(error, 1.0, tunableParams(), settings);
  EXPECT_LE(after, before);
  EXPECT_DOUBLE_EQ(after, error(1.0));
  resetAllParams();
}
