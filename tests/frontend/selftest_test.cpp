// The generator cross-check on GUI moves: a full report when the boards disagree. (Silence while
// they agree is every pipe test's: any output beyond the expected fails them.)
#include <gtest/gtest.h>

#include <memory>

#include "board/test_positions.h"
#include "frontend/position.h"
#include "frontend/selftest.h"

namespace {

// A game whose two board forms hold different positions, as after a generator fault.
std::unique_ptr<SearchContext> driftedGame(const char* boardFen, const char* oldFen) {
  auto g = std::make_unique<SearchContext>();
  g->board = boardFromFen(boardFen);
  resetOldBoard(g->old);
  EXPECT_TRUE(parseFen(g->old, oldFen, &g->oldSide, nullptr));
  historyClear(g->history);
  return g;
}

}  // namespace

TEST(SelfTest, DisagreementPrintsTheWholeReport) {
  // The bitboard side has an extra knight on b1 that the reference side lacks.
  auto g = driftedGame("4k3/8/8/8/8/8/8/1N2K3 w - - 0 1", "4k3/8/8/8/8/8/8/4K3 w - - 0 1");
  testing::internal::CaptureStdout();
  EXPECT_FALSE(crossCheckGenerators(*g));
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out.rfind("FATAL ERROR: new_movegen_bug!\n\tfen: 4k3/8/8/8/8/8/8/4K3 w - - 0\n", 0), 0u) << out;
  EXPECT_NE(out.find("illegal move found: Na3\n"), std::string::npos);
  EXPECT_NE(out.find("illegal move found: Nd2\n"), std::string::npos);
  EXPECT_EQ(out.find("legal move not found"), std::string::npos);
  EXPECT_NE(out.find("new board dump:\nbits[0] = "), std::string::npos);
  EXPECT_NE(out.find("bits[16] = "), std::string::npos);
  EXPECT_NE(out.find("castrights_white = 00\ncastrights_black = 00\n"), std::string::npos);
  // The reference list keeps its own order; the bitboard list is in generation order.
  EXPECT_NE(out.find("old(real): K"), std::string::npos);
  EXPECT_NE(out.find(" \nnew(bad): Na3 Nc3 Nd2 Kd2 Ke2 Kf2 Kd1 Kf1 \n"), std::string::npos) << out;
}

TEST(SelfTest, MoveMissingOnTheReferenceBoardIsReported) {
  auto g = driftedGame("4k3/8/8/8/8/8/8/1N2K3 w - - 0 1", "4k3/8/8/8/8/8/8/4K3 w - - 0 1");
  testing::internal::CaptureStdout();
  applyGuiMove(*g, "b1c3");
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("movegen_BUG_FOUND!\n"), std::string::npos);
  // The game board still advances; the reference board stays where it was.
  EXPECT_EQ(boardToFen(g->board), "4k3/8/8/8/8/2N5/8/4K3 b - - 1");
  EXPECT_EQ(g->oldSide, White);
}
