// The match tuner against a stand-in match: a game is won by the side closer to a hidden
// optimum, so the tuner's direction, its ranges, its state file and its resumption can be checked
// without playing chess.
#include <gtest/gtest.h>

#include <cmath>

#include "spsa.h"

namespace {

const double optimum[] = {140, 30, 7};

double distance(const std::vector<int32_t>& v) {
  double d = 0;
  for (size_t i = 0; i < v.size(); ++i) d += std::abs(v[i] - optimum[i]);
  return d;
}

// The + side's points in each game of each step: the nearer side wins both, equals draw.
std::vector<double> standInMatch(const std::vector<SpsaStep>& batch) {
  std::vector<double> scores;
  for (const SpsaStep& step : batch) {
    const double p = distance(step.plus) < distance(step.minus) ? 1 : distance(step.plus) > distance(step.minus) ? 0 : 0.5;
    scores.insert(scores.end(), {p, p});
  }
  return scores;
}

SpsaState tinyRun() {
  SpsaState s;
  s.iterations = 300;
  s.random = 12345;
  s.params = {startingParam("ThisValueCP", 100, 0, 150, 0.05), startingParam("ThatMP", 90, 0, 10000, 0.05),
              startingParam("LMRMovesThere", 3, 0, 8, 0.05)};
  s.fixed = {{"HeldMP", 7}};
  return s;
}

void runBatches(SpsaState& s, int batches) {
  for (int i = 0; i < batches; ++i) {
    const std::vector<SpsaStep> batch = drawBatch(s, 2);
    applyBatch(s, batch, standInMatch(batch));
  }
}

}  // namespace

TEST(Spsa, MovesEveryParameterTowardsWhatWinsAndKeepsItsRange) {
  SpsaState s = tinyRun();
  const std::vector<int32_t> start = {100, 90, 3};
  runBatches(s, 150);
  EXPECT_EQ(s.iteration, 300);
  EXPECT_EQ(s.wins + s.draws + s.losses, 600);
  std::vector<int32_t> reached;
  for (const SpsaParam& p : s.params) {
    EXPECT_GE(p.value, p.min);
    EXPECT_LE(p.value, p.max);
    reached.push_back(int32_t(std::lround(p.value)));
  }
  // The first optimum lies beyond the range: the estimate stops at its end.
  EXPECT_GT(reached[0], 130);
  EXPECT_LT(std::abs(reached[1] - 30), std::abs(start[1] - 30));
  EXPECT_LT(std::abs(reached[2] - 7), std::abs(start[2] - 7));
  for (const SpsaStep& step : drawBatch(s, 4))
    for (size_t i = 0; i < s.params.size(); ++i) {
      EXPECT_LE(step.plus[i], s.params[i].max);
      EXPECT_GE(step.minus[i], s.params[i].min);
    }
}

TEST(Spsa, StateFileRoundTripsAndAResumedRunTakesTheSameSteps) {
  SpsaState straight = tinyRun(), resumed = tinyRun();
  runBatches(straight, 20);
  runBatches(resumed, 10);
  // Stopped after ten batches: only the file goes on.
  const std::string saved = stateText(resumed);
  SpsaState loaded;
  std::string error;
  ASSERT_TRUE(parseState(saved, loaded, error)) << error;
  EXPECT_EQ(stateText(loaded), saved);
  runBatches(loaded, 10);
  EXPECT_EQ(stateText(loaded), stateText(straight));
  const std::vector<SpsaStep> a = drawBatch(loaded, 2), b = drawBatch(straight, 2);
  for (size_t j = 0; j < a.size(); ++j) {
    EXPECT_EQ(a[j].plus, b[j].plus);
    EXPECT_EQ(a[j].minus, b[j].minus);
    EXPECT_EQ(a[j].opening, b[j].opening);
  }
}

TEST(Spsa, MalformedStatesAreRefusedWithTheLine) {
  const std::string good = stateText(tinyRun());
  SpsaState s;
  std::string error;
  auto refused = [&](const std::string& text) { return !parseState(text, s, error) && !error.empty(); };
  EXPECT_TRUE(parseState(good, s, error));
  EXPECT_TRUE(refused(good + "param ThatMP 5 0 10 1 0.1\n"));    // a parameter twice
  EXPECT_TRUE(refused(good + "param OtherMP 11 0 10 1 0.1\n"));  // outside its range
  EXPECT_TRUE(refused(good + "param OtherMP 5 0 10 0 0.1\n"));   // no perturbation
  EXPECT_TRUE(refused(good + "param OtherMP 5 0 10 1\n"));       // a field short
  EXPECT_TRUE(refused(good + "iteration 3\n"));                  // a setting twice
  EXPECT_TRUE(refused(good + "fixed ThatMP 5\n"));               // tuned and held at once
  EXPECT_TRUE(refused(good + "fixed OtherMP\n"));                // a held value missing
  auto with = [&](const std::string& from, const std::string& to) {
    std::string text = good;
    return text.replace(text.find(from), from.size(), to);
  };
  EXPECT_TRUE(refused(with("random 12345", "random -1")));
  EXPECT_TRUE(refused(with("iterations 300", "iterations 0")));
  EXPECT_TRUE(refused(with("random 12345", "random 12345 and more")));
  EXPECT_TRUE(refused(good + "speed 3\n"));
  EXPECT_TRUE(refused("iteration 0\n"));  // nothing to tune
  EXPECT_TRUE(refused(""));
  EXPECT_NE(error.find("no parameter"), std::string::npos);
}
