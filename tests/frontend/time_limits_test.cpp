// Timed searches as a tournament manager sees them: from writing "go" to reading "bestmove",
// every timed search ends inside its time, less the move overhead kept for the way back.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>

#include "frontend/engine_pipe.h"

namespace {

using Ms = std::chrono::milliseconds;

constexpr int Overhead = 50;  // the default Move Overhead
const int Patient = 5000 * SlowBuildFactor;
// A timed search's answer may be this late past its limit: the pipe and the scheduler.
const int Slack = Overhead * SlowBuildFactor;

// Milliseconds from writing `go` to reading "bestmove"; -1 when none came within `timeoutMs`.
int64_t msToBestmove(EnginePipe& e, const std::string& go, int timeoutMs = Patient,
                     std::vector<std::string>* lines = nullptr) {
  const auto start = EnginePipe::Clock::now();
  if (!e.send(go + "\n") || !e.waitFor("bestmove ", timeoutMs, lines)) return -1;
  return std::chrono::duration_cast<Ms>(EnginePipe::Clock::now() - start).count();
}

}  // namespace

TEST(Protocol, MovetimeIsAHardLimit) {
  // A middlegame whose score drops at several depths: the extension a dropping score earns on a
  // clock must not carry a fixed move time past its end.
  EnginePipe e;
  ASSERT_TRUE(e.send("position startpos moves b1c3 g8f6 g1f3 d7d5 d2d4 b8c6 c1f4 c8f5 c3b5 a8c8 f3e5 c6b4 b5a3 "
                     "f6g4 e2e4 g4e5 e4f5 e5d7 f1e2 g7g6 c2c3 b4c6 d1b3 d7b6 f5g6 h7g6 e1g1 e7e6\nisready\n"));
  ASSERT_TRUE(e.waitFor("readyok", Patient));  // start-up is not part of any move's time
  for (int movetime = 150; movetime <= 1450; movetime += 50) {
    const int64_t ms = msToBestmove(e, "go movetime " + std::to_string(movetime));
    ASSERT_GE(ms, 0) << e.transcript;
    EXPECT_LE(ms, movetime + Slack) << "movetime " << movetime;
  }
  EXPECT_EQ(e.waitExit(Patient), 0);
}

TEST(Protocol, EveryClockHasADeadlineFromTheFirstNode) {
  struct Case {
    const char* position;
    const char* go;
    int limitMs;  // the allotment the clock gives, or the movetime
  };
  // Queens everywhere: one ply of this takes seconds, so only a deadline inside the first
  // iteration answers on time.
  const char* queens = "position fen 1qqqkqq1/qqqqqqqq/8/8/8/8/QQQQQQQQ/1QQQKQQ1 w - - 0 1\n";
  const char* start = "position startpos\n";
  for (const Case c : {Case{start, "go wtime 0 btime 0", 1}, Case{start, "go wtime 0 btime 0 winc 100 binc 100", 1},
                       Case{start, "go wtime 0 btime 9000 movestogo 10", 1},
                       Case{"position startpos moves e2e4\n", "go btime 0 wtime 5000", 1},
                       Case{queens, "go movetime 100", 100}, Case{queens, "go wtime 3000 btime 3000", 63}}) {
    SCOPED_TRACE(std::string(c.position) + c.go);
    EnginePipe e;
    ASSERT_TRUE(e.send(std::string(c.position) + "isready\n"));
    ASSERT_TRUE(e.waitFor("readyok", Patient));
    std::vector<std::string> lines;
    const int64_t ms = msToBestmove(e, c.go, Patient, &lines);
    ASSERT_GE(ms, 0) << e.transcript;
    EXPECT_LE(ms, c.limitMs + Slack);
    // The answer is a move, also when the first iteration was cut short.
    EXPECT_NE(lines.back(), "bestmove 0000");
  }
}

// A large table, a restricted list and a short allotment: nothing as slow as clearing the table
// may happen while the clock runs. (That a restricted list never plays from the book is the book
// test's.)
TEST(Protocol, SearchMovesDoNotClearTheTableOnTheClock) {
  EnginePipe e;
  ASSERT_TRUE(e.send("setoption name Hash value 1024\nposition startpos moves e2e4\n"));
  const auto resized = e.waitFor("info string Hash table ", Patient * 4);
  ASSERT_TRUE(resized);
  // A Windows engine under Wine (a 32-bit one above all) may not get the whole 1024 MB.
  EXPECT_TRUE(*resized == "info string Hash table size set to 1024 MB" ||
              (winePrefix() && resized->rfind("info string Hash table of 1024 MB cannot be had", 0) == 0))
      << *resized;
  for (int i = 0; i < 3; ++i) {
    std::vector<std::string> lines;
    const int64_t ms = msToBestmove(e, "go wtime 3000 btime 3000 searchmoves d7d5 e7e5", Patient, &lines);
    ASSERT_GE(ms, 0) << e.transcript;
    EXPECT_LE(ms, 63 + Slack);
    const std::string move = lines.back().substr(0, 13);
    EXPECT_TRUE(move == "bestmove d7d5" || move == "bestmove e7e5") << lines.back();
  }
  EXPECT_EQ(e.waitExit(Patient), 0);
}

TEST(Protocol, MultiPvReportsEveryLineAtEveryDepth) {
  for (const char* position : {"position startpos\n",
                               "position fen r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R1BQKB1R w KQ - 0 8\n",
                               "position fen 8/5pk1/6p1/3R4/7P/6P1/r4PK1/8 b - - 0 40\n"}) {
    SCOPED_TRACE(position);
    EnginePipe e;
    // Any capitalisation of an option name sets it.
    ASSERT_TRUE(e.send(std::string("setoption name MultiPv value 3\n") + position));
    ASSERT_EQ(e.waitFor("info string", Patient).value_or("(none)"), "info string MultiPV 3");
    std::vector<std::string> lines;
    ASSERT_GE(msToBestmove(e, "go depth 10", Patient * 6, &lines), 0) << e.transcript;
    std::map<int, std::set<int>> linesAtDepth;
    std::string top;
    for (const std::string& line : lines) {
      int k = 0, depth = 0, at = 0;
      if (std::sscanf(line.c_str(), "info multipv %d depth %d%n", &k, &depth, &at) < 2) continue;
      linesAtDepth[depth].insert(k);
      const size_t pv = line.find(" pv ");
      if (k == 1 && pv != std::string::npos) top = line.substr(pv + 4, line.find(' ', pv + 4) - pv - 4);
    }
    for (int depth = 2; depth <= 10; ++depth)
      EXPECT_EQ(linesAtDepth[depth], (std::set<int>{1, 2, 3})) << "depth " << depth << "\n" << e.transcript;
    // The move played is the top line of the last depth.
    EXPECT_EQ(lines.back().substr(0, 9 + top.size()), "bestmove " + top);
  }
}

// A timed search whose iterations the table answers prints no line for them but the first; its
// last line must still show the depth its move rests on, for GUIs and tournament managers record
// the move at the depth of the last line they saw.
TEST(Protocol, TheLastLineShowsTheDeepestIterationEvenWhenTheTableAnsweredIt) {
  EnginePipe e;
  ASSERT_TRUE(e.send("position startpos moves e2e4 e7e5\n"));
  ASSERT_GE(msToBestmove(e, "go depth 10", Patient * 4), 0) << e.transcript;
  std::vector<std::string> lines;
  ASSERT_GE(msToBestmove(e, "go movetime 30", Patient, &lines), 0) << e.transcript;
  int lastDepth = 0;
  for (const std::string& line : lines)
    if (line.find(" pv ") != std::string::npos) std::sscanf(line.c_str(), "info depth %d", &lastDepth);
  EXPECT_GE(lastDepth, 10) << e.transcript;
  EXPECT_EQ(e.waitExit(Patient), 0);
}
