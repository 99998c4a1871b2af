// Repetitions through the key history, and its safety when a game runs very long.
#include <gtest/gtest.h>

#include <memory>

#include "board/history.h"
#include "board/test_positions.h"

TEST(History, NoRepetitionAcrossAnIrreversibleEntry) {
  Board b = startBoard();
  b.hash = 0xA;
  auto h = std::make_unique<HashHistory>();
  historyPush(*h, 0xA, true);
  historyPush(*h, 0xB, false);
  historyPush(*h, 0xA, false);
  EXPECT_TRUE(isRepetition(*h, b));
  // The same line with an irreversible entry (a pawn move or a null move) in between.
  historyClear(*h);
  historyPush(*h, 0xA, true);
  historyPush(*h, 0xB, true);
  historyPush(*h, 0xA, false);
  EXPECT_FALSE(isRepetition(*h, b));
}

TEST(History, OverlongLinesStayBalanced) {
  auto h = std::make_unique<HashHistory>();
  historyPush(*h, 1, true);
  for (int i = 0; i < 3 * HashHistory::Capacity; ++i) historyPush(*h, 100 + i % 4, false);
  EXPECT_EQ(h->count, HashHistory::Capacity);
  Board b = startBoard();
  b.hash = 100;
  EXPECT_NO_FATAL_FAILURE(isRepetition(*h, b));
  for (int i = 0; i < 3 * HashHistory::Capacity; ++i) historyPop(*h);
  EXPECT_EQ(h->count, 1);
  EXPECT_EQ(h->irreversibleCount, 1);
  historyPop(*h);
  historyPop(*h);  // popping an empty history is harmless
  EXPECT_EQ(h->count, 0);
}
