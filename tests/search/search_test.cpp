// The search below the root: the check test against a full make-move over whole move trees, mates
// at their exact distance, draws, the limits and the stop flag, and the quiescence search's mate
// score and stand pat. Extensions, reductions and pruning margins are held by the bench signature.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "board/history.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "board/movetext.h"
#include "board/test_positions.h"
#include "search/clock.h"
#include "search/score.h"
#include "search/search.h"

namespace {

// A context ready to search `fen`: its key on the history, no time or node limit, no output.
std::unique_ptr<SearchContext> contextFor(const char* fen) {
  auto ctx = std::make_unique<SearchContext>();
  ctx->board = boardFromFen(fen);
  historyClear(ctx->history);
  historyPush(ctx->history, ctx->board.hash, true);
  resetClockCountdown();
  ctx->startTime = ctx->lastInfoTime = tickNow();
  ctx->deadline = ctx->startTime + 0x3FFFFFFF;
  ctx->silent = true;
  return ctx;
}

// Raises the stop flag at its nth evaluation, as "stop" may at any node, and keeps the table's
// entry then (its bytes, or none) for every position on the line from the root to that node
// (which itself may finish: its evaluation is whole).
struct StopAtEvaluation : BitEval {
  StopAtEvaluation(SearchContext& ctx, int n) : ctx(ctx), left(n) {}
  int evaluate(const Board& b, int alpha, int beta) override {
    if (--left == 0) {
      ctx.stopSearch = true;
      for (int i = 0; i + 1 < ctx.history.count; ++i) line.emplace_back(ctx.history.keys[i], entry(ctx.history.keys[i]));
    }
    return BitEval::evaluate(b, alpha, beta);
  }
  std::string entry(uint64_t key) const {
    const TTEntry* e = ctx.tt.probe(key);
    return e ? std::string(reinterpret_cast<const char*>(e), sizeof *e) : "none";
  }
  SearchContext& ctx;
  int left;
  std::vector<std::pair<uint64_t, std::string>> line;
};

// Every move at every node of the tree, against playing it and testing the enemy king.
void walkChecks(Board& b, int depth, uint64_t& checks, std::string& failure) {
  Move list[MaxMoves];
  const int n = generateMoves(b, list);
  const Bitboard candidates = discoveredCheckCandidates(b);
  for (int i = 0; i < n && failure.empty(); ++i) {
    Board after = b;
    doMove(after, list[i]);
    const bool expected = kingAttacked(after, after.turn());
    if (givesCheck(b, list[i], candidates) != expected) failure = boardToFen(b) + " " + moveToUci(list[i]);
    checks += expected;
    if (depth > 1) {
      UndoInfo undo;
      const uint32_t mask = makeMove(b, list[i], undo, expected);
      walkChecks(b, depth - 1, checks, failure);
      unmakeMove(b, mask, undo);
    }
  }
}

// Over the perft suites' small trees, then three plies from each check they rarely give, as given
// and with the colours exchanged.
TEST(SearchGivesCheck, AgreesWithMakeMove) {
  uint64_t checks = 0;
  std::string failure;
  for (const char* suite : {"standard.epd", "perftsuite.epd"}) {
    for (const auto& line : loadPerftSuite(suite)) {
      Board b = boardFromFen(line.fen.c_str());
      walkChecks(b, depthWithin(line, 200000), checks, failure);
      ASSERT_EQ(failure, "");
    }
  }
  EXPECT_GT(checks, 10000u);
  for (const CaseLine& c : loadCases("cases/rare_checks.txt")) {
    Board b = boardFromFen(c[0].c_str());
    walkChecks(b, 3, checks, failure);
    flipBoard(b);
    walkChecks(b, 3, checks, failure);
    ASSERT_EQ(failure, "") << c[0];
  }
}

TEST(SearchMates, FoundAtTheirExactDistance) {
  for (const CaseLine& c : loadCases("cases/mates.txt")) {
    auto ctx = contextFor(c[0].c_str());
    const int plies = std::stoi(c[1]);
    const int expected = plies > 0 ? mateIn(plies) : matedIn(-plies);
    // Iterative deepening with full windows at ply 0; no depth may claim a nearer mate.
    int score = 0;
    for (int d = 1; d <= std::abs(plies) + 4; ++d) {
      score = searchPV(*ctx, d * OnePly, 0, -MateValue, MateValue);
      EXPECT_TRUE(expected > 0 ? score <= expected : score >= expected) << c[0] << " depth " << d;
    }
    EXPECT_EQ(score, expected) << c[0];
    EXPECT_NE(c[2].find(moveToUci(ctx->pvTable[0].pv[0])), std::string::npos) << c[0];
  }
}

TEST(SearchDraws, StalemateRepetitionAndTheFiftyMoveRule) {
  auto stalemate = contextFor("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1");
  EXPECT_EQ(searchPV(*stalemate, 3 * OnePly, 0, -MateValue, MateValue), DrawScore);

  // Black is a queen down; after Nf3 Nf6 Ng1 Ng8 the start position is back, seen once before.
  auto ctx = contextFor("rnb1kbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  for (const char* move : {"g1f3", "g8f6", "f3g1", "f6g8"}) {
    doMove(ctx->board, uciMove(ctx->board, move));
    historyPush(ctx->history, ctx->board.hash, false);
  }
  // The root never counts as a repetition, any node below it does.
  EXPECT_GT(searchPV(*ctx, 2 * OnePly, 0, -MateValue, MateValue), 500);
  EXPECT_EQ(searchPV(*ctx, 2 * OnePly, 1, -MateValue, MateValue), DrawScore);
  EXPECT_EQ(searchNonPV(*ctx, 2 * OnePly, 1, 100, true), DrawScore);
  EXPECT_EQ(quiesce(*ctx, 0, 0, -MateValue, MateValue), DrawScore);

  // Mated with 100 plies on the clock is still mate; at 101 the fifty-move rule came first.
  auto hundred = contextFor("R5k1/5ppp/8/8/8/8/5PPP/6K1 b - - 100 80");
  EXPECT_EQ(searchPV(*hundred, 2 * OnePly, 0, -MateValue, MateValue), matedIn(0));
  auto hundredOne = contextFor("R5k1/5ppp/8/8/8/8/5PPP/6K1 b - - 101 80");
  EXPECT_EQ(searchPV(*hundredOne, 2 * OnePly, 0, -MateValue, MateValue), DrawScore);
  EXPECT_EQ(searchNonPV(*hundredOne, 2 * OnePly, 3, -50, true), DrawScore);
  EXPECT_EQ(quiesce(*hundredOne, 0, 3, -MateValue, MateValue), DrawScore);
}

constexpr const char* AfterE4D5 = "rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 2";

TEST(SearchStop, NoNodeAboveAnInterruptionStores) {
  // Stopped at every evaluation in turn (every few in the main search): the table entries of the
  // line from the root to that node stay as they were then.
  const struct {
    const char* what;
    int stride;
    int (*search)(SearchContext&);
  } searches[] = {
      {"quiesce", 1, [](SearchContext& c) { return quiesce(c, 0, 0, 506, 507); }},
      {"searchPV", 7, [](SearchContext& c) { return searchPV(c, 4 * OnePly, 0, -MateValue, MateValue); }},
      {"searchNonPV", 7, [](SearchContext& c) { return searchNonPV(c, 4 * OnePly, 0, 506, true); }},
  };
  for (const auto& s : searches) {
    for (int n = 1;; n += s.stride) {
      auto ctx = contextFor("1r6/p6k/8/8/8/8/5PPP/R5K1 w - - 0 1");
      auto stopper = std::make_unique<StopAtEvaluation>(*ctx, n);
      const StopAtEvaluation& at = *stopper;
      ctx->evaluator = std::move(stopper);
      s.search(*ctx);
      if (!ctx->stopSearch) break;  // finished before the nth evaluation
      for (const auto& [key, entry] : at.line) ASSERT_EQ(at.entry(key), entry) << s.what << " stopped at " << n;
    }
  }
}

// The node budget: unwinding is prompt (only quiescence runs on a little) and takes every move
// back. (Deadlines, and pondering past them, are the pipe tests'.)
TEST(SearchStop, NodeBudgetStopsTheWholeSearch) {
  auto ctx = contextFor(AfterE4D5);
  ctx->nodeBudget = 500;
  EXPECT_EQ(searchPV(*ctx, 8 * OnePly, 0, -40, 60), -40);
  EXPECT_TRUE(ctx->stopSearch);
  EXPECT_LT(ctx->nodes, 700u);
  EXPECT_EQ(ctx->board.hash, boardFromFen(AfterE4D5).hash);
  EXPECT_EQ(ctx->history.count, 1);
}

TEST(SearchQuiesce, MateAndStandPat) {
  // Mated: the score counts the plies from the root.
  auto mated = contextFor("R5k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1");
  EXPECT_EQ(quiesce(*mated, 0, 5, -MateValue, MateValue), 5 - MateValue);
  EXPECT_EQ(quiesce(*mated, -3, 9, -MateValue, MateValue), 9 - MateValue);

  // Stand pat at beta returns before any move is tried, and stores nothing.
  auto ctx = contextFor("4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1");
  ctx->tt.resize(0);
  const int standPat = ctx->evaluator->evaluate(ctx->board, -MateValue, MateValue);
  EXPECT_EQ(quiesce(*ctx, 0, 1, standPat - 100, standPat), standPat);
  EXPECT_EQ(ctx->nodes, 1u);
  EXPECT_EQ(ctx->tt.hashfull(), 0);
}

}  // namespace
