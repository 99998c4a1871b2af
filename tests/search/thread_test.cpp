// The search thread in-process: a stop waits for exactly the search handed off, after which the
// context is the caller's again; the engine object ends its thread with a search running.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "search/thread.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

SearchLimits limitsWithDepth(int depth) {
  SearchLimits limits;
  limits.depth = depth;
  return limits;
}

int64_t msSince(SteadyClock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count();
}

}  // namespace

TEST(ThinkThread, StartsOnceAndIdlesWithoutWaiting) {
  ThinkThread engine;
  engine.stopAndWait();  // not started: nothing to wait for
  EXPECT_TRUE(engine.start());
  EXPECT_FALSE(engine.start());
  const auto start = SteadyClock::now();
  engine.stopAndWait();
  EXPECT_FALSE(engine.searching());
  EXPECT_LT(msSince(start), 50);
}

TEST(ThinkThread, StopWaitsForTheSearchJustHandedOff) {
  ThinkThread engine;
  engine.start();
  for (int i = 0; i < 200; ++i) {
    // Stopped before the thread wakes, while it sets up, or in mid-search.
    engine.handOff("search", limitsWithDepth(60));
    EXPECT_TRUE(engine.searching());
    if (i % 3 == 1) std::this_thread::yield();
    if (i % 3 == 2) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    engine.stopAndWait();
    ASSERT_FALSE(engine.searching()) << "cycle " << i;
    // The context is the command loop's again: a race with the search would show here.
    SearchContext& g = engine.context();
    resetPosition(g);
    historyPush(g.history, g.board.hash, true);
    g.tt.clear();
  }
}

TEST(ThinkThread, SearchesThatEndByThemselvesOrAreOvertakenAreAllAccountedFor) {
  ThinkThread engine;
  engine.start();
  engine.handOff("search", limitsWithDepth(1));
  const auto start = SteadyClock::now();
  while (engine.searching() && msSince(start) < 10000)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_FALSE(engine.searching()) << "a depth-1 search must end by itself";
  engine.stopAndWait();

  // Several hand-offs before the thread drains them run as one search or a few; a stop must
  // still return once the newest has finished.
  for (int i = 0; i < 50; ++i) {
    engine.handOff("search", limitsWithDepth(60));
    engine.handOff("search", limitsWithDepth(60));
    engine.handOff("search", limitsWithDepth(1));
    engine.stopAndWait();
    ASSERT_FALSE(engine.searching());
  }
}

TEST(ThinkThread, DestructionStopsARunningSearchAndJoins) {
  const auto start = SteadyClock::now();
  {
    ThinkThread engine;
    engine.start();
    engine.handOff("search", limitsWithDepth(60));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_LT(msSince(start), 2000);
}
