// "go": what the parser makes of the tokens, and how much of the clock a move may use.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "board/test_positions.h"
#include "frontend/go_command.h"
#include "frontend/tokens.h"

namespace {

GoRequest parse(const std::string& line, int multiPv = 1) { return parseGo(tokenize(line), multiPv); }

GoClock clock(int32_t wtime, int32_t btime, int32_t winc = 0, int32_t binc = 0, int32_t movesToGo = 0) {
  return GoClock{wtime, btime, winc, binc, movesToGo, true};
}

}  // namespace

TEST(GoCommand, ParsesLimitsClocksAndFlags) {
  const auto yes = [](bool b) { return b ? "yes" : "no"; };
  for (const CaseLine& c : loadCases("cases/go_lines.txt")) {
    const GoRequest r = parse(c[0]);
    const SearchLimits& l = r.limits;
    const GoClock& k = r.clock;
    std::ostringstream got;
    got << l.depth << ' ' << l.moveTime << ' ' << l.mate << ' ' << l.nodes << " | " << k.wtime << ' ' << k.btime
        << ' ' << k.winc << ' ' << k.binc << ' ' << k.movesToGo << ' ' << yes(k.given) << " | "
        << yes(r.ponderRequested) << ' ' << yes(l.infinite);
    for (size_t i = 0; i < r.searchMoveTokens.size(); ++i) got << (i ? " " : " | ") << r.searchMoveTokens[i];
    EXPECT_EQ(got.str(), c[1] + " | " + c[2] + " | " + c[3] + (c.size() > 4 ? " | " + c[4] : "")) << c[0];
  }
  EXPECT_EQ(parse("go", 7).limits.multiPv, 7);
}

TEST(GoCommand, FormulaAllotmentFollowsTheClockTable) {
  // Moves to go and increments: a share of the clock plus the increments to come.
  Allotment a = formulaAllotment(clock(1000, 5000, 0, 0, 1), White);
  EXPECT_EQ(a.ms, 900);  // (1000 + 0) / 1 - 100
  EXPECT_TRUE(a.lastMoveBeforeControl);
  a = formulaAllotment(clock(5000, 50, 0, 0, 1), White);
  EXPECT_EQ(a.ms, 4900);
  a = formulaAllotment(clock(50, 5000, 0, 0, 1), White);
  EXPECT_EQ(a.ms, 0);  // not below 0
  EXPECT_EQ(formulaAllotment(clock(10000, 0, 500, 0, 5), White).ms, 2500);
  EXPECT_FALSE(formulaAllotment(clock(10000, 0, 500, 0, 5), White).lastMoveBeforeControl);
  EXPECT_EQ(formulaAllotment(clock(10000, 0, 1000, 0), White).ms, 1400);  // 25 moves assumed
  // The opponent's increment alone selects the share rule, with no increment of one's own.
  EXPECT_EQ(formulaAllotment(clock(10000, 0, 0, 1000), White).ms, 400);
  EXPECT_EQ(formulaAllotment(clock(0, 10000, 0, 1000), Black).ms, 1400);

  // Neither: fixed steps by the own clock, a lead of 4 seconds paying off between 30 and 60
  // seconds, a 25th of the clock above; each step at its edges, for either side.
  const struct {
    int32_t own, opponent, ms;
  } steps[] = {{7999, 0, 63},        {8000, 0, 125},        {15000, 0, 125},     {15001, 0, 250},
               {30000, 0, 250},      {30001, 26001, 3000},  {30001, 26002, 500}, {60000, 0, 3000},
               {60000, 60000, 500},  {60001, 0, 2400},      {0, 90000, 63},      {-500, 0, 63}};
  for (const auto& s : steps) {
    EXPECT_EQ(formulaAllotment(clock(s.own, s.opponent), White).ms, s.ms) << s.own << " vs " << s.opponent;
    EXPECT_EQ(formulaAllotment(clock(s.opponent, s.own), Black).ms, s.ms) << s.own << " vs " << s.opponent;
  }
}

TEST(GoCommand, AllotmentStaysInsideTheClockLessTheOverhead) {
  constexpr int32_t Overhead = 50;
  // The table's values stand where the clock is comfortable.
  EXPECT_EQ(timeAllotment(clock(90000, 1000), White, Overhead).ms, 3600);
  EXPECT_EQ(timeAllotment(clock(0, 60000, 0, 1000), Black, Overhead).ms, 3400);

  // A large increment on a nearly empty clock: no more than the clock holds.
  Allotment a = timeAllotment(clock(1000, 60000, 5000, 5000), White, Overhead);
  EXPECT_EQ(a.ms, (1000 - Overhead) * 2 / 3);
  EXPECT_EQ(a.maxMs, 1000 - Overhead);
  // An empty clock, or one the overhead eats: the smallest limit, never "no limit".
  for (int32_t own : {-300, 0, 20, Overhead}) {
    a = timeAllotment(clock(own, 5000, 100, 100), White, Overhead);
    EXPECT_EQ(a.ms, MinimumThinkMs) << own;
    EXPECT_EQ(a.maxMs, MinimumThinkMs) << own;
  }

  // Over a grid of clocks: the allotment, and the deadline moved to 1.5 allotments on a
  // dropping score (never on the last move before the control), stay within the hard bound,
  // which keeps the overhead on the clock.
  for (int32_t own : {1, 10, 40, 99, 150, 400, 999, 3000, 9000, 20000, 45000, 61000, 300000, 10000000})
    for (int32_t inc : {0, 10, 1000, 30000})
      for (int32_t togo : {0, 1, 2, 3, 40})
        for (int side : {White, Black}) {
          const GoClock c = side == White ? clock(own, 40000, inc, 0, togo) : clock(40000, own, 0, inc, togo);
          const Allotment t = timeAllotment(c, side, Overhead);
          ASSERT_GE(t.ms, MinimumThinkMs);
          ASSERT_LE(t.maxMs, std::max(own - Overhead, MinimumThinkMs)) << own << " " << inc << " " << togo;
          const int64_t extended = t.lastMoveBeforeControl ? t.ms : int64_t(t.ms) * 3 / 2;
          ASSERT_LE(extended, t.maxMs) << own << " " << inc << " " << togo;
        }

  // A fixed time per move keeps the overhead back, but never more than half of it.
  EXPECT_EQ(moveTimeLimit(1000, Overhead), 1000 - Overhead);
  EXPECT_EQ(moveTimeLimit(60, Overhead), 30);
  EXPECT_EQ(moveTimeLimit(1, Overhead), 1);
  EXPECT_EQ(moveTimeLimit(700, 0), 700);
}

TEST(GoCommand, ShortClocksSettleAboveTheOverheadInsteadOfDraining) {
  // Games played on the allotments alone: every move spends its whole allotment plus what is
  // lost on the way to the GUI, then earns the increment. The clock must settle above the
  // overhead however long the game, as long as the loss stays below the increment.
  constexpr int32_t Overhead = 50;
  struct Control {
    int32_t base, increment, loss;
  };
  for (const Control c : {Control{200, 10, 5}, Control{1000, 10, 8}, Control{2000, 20, 15}, Control{10000, 100, 30}}) {
    int32_t own = c.base, lowest = own;
    for (int move = 0; move < 400; ++move) {
      own -= timeAllotment(clock(own, own, c.increment, c.increment), White, Overhead).ms + c.loss;
      ASSERT_GT(own, 0) << c.base << "+" << c.increment << " flagged at move " << move;
      own += c.increment;
      lowest = std::min(lowest, own);
    }
    EXPECT_GE(lowest, Overhead) << c.base << "+" << c.increment;
  }
}
