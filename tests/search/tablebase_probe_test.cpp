// Tablebase answers as search scores, checked against the reader's own answers: mates measured
// from the root like the search's own, from the side to move's view, and a failed probe (a
// castling right left) that shrinks the positions asked about.
#include <gtest/gtest.h>

#include <memory>

#include "board/test_positions.h"
#include "search/context.h"
#include "search/score.h"
#include "search/tablebase_probe.h"

namespace {

constexpr const char* TableDir = "/usr/share/gaviotatb/gtb4";

std::unique_ptr<SearchContext> contextWithTables(const char* fen) {
  auto ctx = std::make_unique<SearchContext>();
  ctx->tablebases = std::make_unique<TablebaseSet>(TableDir, size_t(1) << 20);
  ctx->tbMaxMen = ctx->tablebases->maxMen;
  ctx->board = boardFromFen(fen);
  ctx->silent = true;
  return ctx;
}

// Plies to mate in KRK, Kd1 Re1 against Kd3, as the reader tells them for lists in its own
// squares (a1 = 0).
int krkPlies(int stm) {
  gtb::Reader reader(TableDir, size_t(1) << 20);
  const int ws[] = {3, 4, gtb::NoSquare}, wp[] = {gtb::King, gtb::Rook, gtb::NoPiece};
  const int bs[] = {19, gtb::NoSquare}, bp[] = {gtb::King, gtb::NoPiece};
  gtb::Answer a;
  EXPECT_TRUE(reader.probe(stm, gtb::NoSquare, ws, bs, wp, bp, a));
  EXPECT_EQ(a.outcome, gtb::WhiteMates);
  return a.plies;
}

}  // namespace

TEST(TablebaseProbe, MatesCountFromTheRootForEitherColour) {
  // White to move wins in d plies: mate at ply + d.
  const int d = krkPlies(0);
  ASSERT_GT(d, 0);
  auto ctx = contextWithTables("8/8/8/8/8/3k4/8/3KR3 w - - 0 1");
  EXPECT_EQ(probeTablebaseScore(*ctx, 0), MateValue - d);
  EXPECT_EQ(probeTablebaseScore(*ctx, 7), MateValue - (7 + d));
  EXPECT_TRUE(isTableMate(probeTablebaseScore(*ctx, 7)));
  // The same position with the colours exchanged: black mates, black to move, same distance.
  ctx->board = boardFromFen("3kr3/8/3K4/8/8/8/8/8 b - - 0 1");
  EXPECT_EQ(probeTablebaseScore(*ctx, 7), MateValue - (7 + d));
  EXPECT_EQ(ctx->tbMaxMen, 3);

  // The losing side to move sees its own mate at the same distance, negated.
  const int dl = krkPlies(1);
  ctx->board = boardFromFen("8/8/8/8/8/3k4/8/3KR3 b - - 0 1");
  EXPECT_EQ(probeTablebaseScore(*ctx, 3), dl + 3 - MateValue);
  ctx->board = boardFromFen("3kr3/8/3K4/8/8/8/8/8 w - - 0 1");
  EXPECT_EQ(probeTablebaseScore(*ctx, 3), dl + 3 - MateValue);

  // The rook hangs to the king: a draw, whoever is counting.
  ctx->board = boardFromFen("8/8/8/8/8/3k4/3R4/7K b - - 0 1");
  EXPECT_EQ(probeTablebaseScore(*ctx, 5), DrawScore);
}

TEST(TablebaseProbe, FailureLowersMaxMenAndSaysSo) {
  // Without castling rights the tables answer (the rook wins); with one left they cannot.
  auto ctx = contextWithTables("r3k3/8/8/8/8/8/8/4K3 b - - 0 1");
  EXPECT_TRUE(isTableMate(probeTablebaseScore(*ctx, 1)));
  ctx->board = boardFromFen("r3k3/8/8/8/8/8/8/4K3 b q - 0 1");
  ctx->tbMaxMen = 5;
  ctx->silent = false;
  testing::internal::CaptureStdout();
  EXPECT_EQ(probeTablebaseScore(*ctx, 1), NoTablebaseScore);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "info string tb max men set to 4\n");
  EXPECT_EQ(ctx->tbMaxMen, 4);

  // Silent searches (the bench) still lower it, without a word.
  ctx->silent = true;
  testing::internal::CaptureStdout();
  EXPECT_EQ(probeTablebaseScore(*ctx, 1), NoTablebaseScore);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(ctx->tbMaxMen, 3);
}
