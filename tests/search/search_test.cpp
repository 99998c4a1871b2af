// The search below the root: the check test against a full make-move over whole move trees, the
// extension rule, mates at their exact distance, draws, the limits and the stop flag, and the
// quiescence search's mate score, stand pat and delta pruning.
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
#include "search/search_params.h"

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

Move legalMove(const Board& b, const char* uci) {
  Move m{};
  UciMove um;
  EXPECT_TRUE(parseUciMove(uci, um) && findLegalMove(b, um, m)) << uci;
  return m;
}

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

TEST(SearchGivesCheck, AgreesWithMakeMoveOverPerftTrees) {
  uint64_t checks = 0;
  std::string failure;
  for (const char* suite : {"standard.epd", "perftsuite.epd"}) {
    const auto lines = loadPerftSuite(suite);
    ASSERT_FALSE(lines.empty()) << suite;
    for (const auto& line : lines) {
      int depth = 0;  // the deepest tree that stays small
      while (depth < int(line.counts.size()) && line.counts[depth] <= 200000) ++depth;
      Board b = boardFromFen(line.fen.c_str());
      walkChecks(b, depth, checks, failure);
      ASSERT_EQ(failure, "");
    }
  }
  EXPECT_GT(checks, 10000u);
}

TEST(SearchGivesCheck, AgreesWithMakeMoveInRareCheckPositions) {
  const char* fens[] = {
      "8/8/8/k2pP2R/8/8/8/4K3 w - d6 0 1",   // en passant opens the rank past both pawns
      "6k1/8/8/3pP3/8/8/B7/4K3 w - d6 0 1",  // the captured pawn blocked a diagonal
      "4k3/8/8/3pP3/8/8/8/K3R3 w - d6 0 1",  // the capturing pawn blocked the file
      "5k2/8/8/8/8/8/8/4K2R w K - 0 1",      // short castling checks on the file
      "3k4/8/8/8/8/8/8/R3K3 w Q - 0 1",      // long castling checks on the file
      "8/8/8/8/8/8/8/1k2K2R w K - 0 1",      // short castling checks along the rank
      "n1n1k3/1P6/8/8/8/8/8/4K3 w - - 0 1",  // promotions, with and without capture
      "5r2/4P3/3k4/8/8/8/8/4K3 w - - 0 1",   // the promoted piece sees through the pawn's square
      "8/4k1P1/8/8/8/8/8/4K3 w - - 0 1",     // a knight promotion checks
      "8/8/8/8/k2K3R/8/8/8 w - - 0 1",       // the king uncovers the rook unless it stays on the rank
      "7k/8/8/8/3P4/8/1B6/K7 w - - 0 1",     // a pawn push uncovers the bishop
      "4k3/8/8/8/8/4P3/8/4RK2 w - - 0 1",    // a pawn push along the rook's file does not
      "4k3/8/8/8/4N3/8/8/4R1K1 w - - 0 1",   // every knight move uncovers the rook
      "7k/8/8/8/3R4/8/1B6/K7 w - - 0 1",     // every rook move uncovers the bishop
      "4k3/8/8/8/4B3/8/8/4R1K1 w - - 0 1",   // every bishop move uncovers the rook
  };
  uint64_t checks = 0;
  std::string failure;
  for (const char* fen : fens) {
    Board b = boardFromFen(fen);
    walkChecks(b, 3, checks, failure);
    flipBoard(b);  // and with the colours exchanged
    walkChecks(b, 3, checks, failure);
    ASSERT_EQ(failure, "") << fen;
  }
}

TEST(SearchExtensions, ChildDepthByKindOfMove) {
  constexpr int D = 10 * OnePly;
  const struct {
    const char* fen;
    const char* move;
    bool mateThreat;
    int expected;
  } cases[] = {
      {"4k3/8/8/8/8/8/8/R3K3 w - - 0 1", "a1a8", false, D},            // a check
      {"k7/8/3P4/8/8/8/8/4K3 w - - 0 1", "d6d7", false, D - 128},      // a pawn to the seventh
      {"4k3/8/8/8/8/3p4/8/K7 b - - 0 1", "d3d2", false, D - 128},      // the same for black
      {"4k3/8/8/8/8/8/8/R3K3 w - - 0 1", "a1b1", true, D - 128},       // under a mate threat
      {"4k3/8/8/3n4/4P3/8/8/4K3 w - - 0 1", "e4d5", false, D},         // the last piece: a pawn ending
      {"k2n4/4P3/8/8/8/8/8/4K3 w - - 0 1", "e7d8n", false, D - 128},   // ... unless by promotion
      {"4k3/8/4p3/3r4/8/8/8/3RK3 w - - 0 1", "d1d5", false, D - 128},  // an even exchange
      {"4k3/8/4p3/3n4/8/8/8/3QK3 w - - 0 1", "d1d5", false, D - 256},  // a losing capture
      {"4k3/8/8/8/8/3P4/8/4K3 w - - 0 1", "d3d4", false, D - 192},     // a passed pawn advances safely
      {"4k3/8/4n3/8/8/3P4/8/4K3 w - - 0 1", "d3d4", false, D - 256},   // ... into a capture
      {"4k3/8/2p5/8/3P4/8/8/4K3 w - - 0 1", "d4d5", false, D - 256},   // not passed
  };
  for (const auto& c : cases) {
    const Board b = boardFromFen(c.fen);
    const Move m = legalMove(b, c.move);
    const bool checks = givesCheck(b, m, discoveredCheckCandidates(b));
    EXPECT_EQ(childDepth(b, m, D, checks, c.mateThreat), c.expected) << c.fen << " " << c.move;
  }
}

TEST(SearchMates, FoundAtTheirExactDistance) {
  const struct {
    const char* fen;
    int plies;               // to the mate; negative when the side to move is mated
    const char* firstMoves;  // every move that mates as fast
  } cases[] = {
      {"6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - 0 1", 1, "a1a8"},
      {"7k/8/8/8/8/8/R7/1R4K1 w - - 0 1", 3, "a2a7 b1b7"},
      {"7k/R7/8/8/8/8/8/1R4K1 b - - 0 1", -2, "h8g8"},
      {"1r5k/6pp/8/6N1/2Q5/8/6PP/7K b - - 0 1", 3, "b8b1"},
      {"8/7k/8/8/8/8/8/RR4K1 w - - 0 1", 5, "a1a6 b1b6"},
      {"8/8/7k/8/8/8/8/RR4K1 w - - 0 1", 7, "a1a5 b1b5"},
      {"1r5k/6pp/8/6N1/2Q5/8/6PP/7K w - - 0 1", 7, "g5f7"},  // the smothered mate
  };
  for (const auto& c : cases) {
    auto ctx = contextFor(c.fen);
    const int expected = c.plies > 0 ? mateIn(c.plies) : matedIn(-c.plies);
    // Iterative deepening with full windows at ply 0; no depth may claim a nearer mate.
    int score = 0;
    for (int d = 1; d <= std::abs(c.plies) + 4; ++d) {
      score = searchPV(*ctx, d * OnePly, 0, -MateValue, MateValue);
      EXPECT_TRUE(expected > 0 ? score <= expected : score >= expected) << c.fen << " depth " << d;
    }
    EXPECT_EQ(score, expected) << c.fen;
    EXPECT_NE(std::string(c.firstMoves).find(moveToUci(ctx->pvTable[0].pv[0])), std::string::npos) << c.fen;
  }
}

TEST(SearchDraws, StalemateRepetitionAndTheFiftyMoveRule) {
  auto stalemate = contextFor("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1");
  EXPECT_EQ(searchPV(*stalemate, 3 * OnePly, 0, -MateValue, MateValue), DrawScore);

  // Black is a queen down; after Nf3 Nf6 Ng1 Ng8 the start position is back, seen once before.
  auto ctx = contextFor("rnb1kbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  for (const char* move : {"g1f3", "g8f6", "f3g1", "f6g8"}) {
    doMove(ctx->board, legalMove(ctx->board, move));
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

TEST(SearchStop, RaisedFlagReturnsAlphaAndStoresNothing) {
  auto ctx = contextFor(AfterE4D5);
  ctx->tt.resize(0);  // one bucket: any store shows in hashfull
  ctx->stopSearch = true;
  EXPECT_EQ(searchPV(*ctx, 6 * OnePly, 0, -40, 60), -40);
  EXPECT_EQ(searchPV(*ctx, 6 * OnePly, 2, -40, 60), -40);
  EXPECT_EQ(searchNonPV(*ctx, 6 * OnePly, 2, -40, true), -40);
  EXPECT_EQ(searchNonPV(*ctx, 4 * OnePly, 2, -40, true), -40);  // a null move without verification
  EXPECT_EQ(searchNonPV(*ctx, 1 * OnePly, 2, -40, true), -40);
  EXPECT_EQ(quiesce(*ctx, 0, 2, 300, 400), 300);  // stand pat is below the window
  EXPECT_EQ(ctx->tt.hashfull(), 0);
}

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

TEST(SearchStop, LimitsStopTheWholeSearch) {
  // The node budget: unwinding is prompt (only quiescence runs on a little) and takes every move back.
  auto ctx = contextFor(AfterE4D5);
  ctx->nodeBudget = 500;
  EXPECT_EQ(searchPV(*ctx, 8 * OnePly, 0, -40, 60), -40);
  EXPECT_TRUE(ctx->stopSearch);
  EXPECT_LT(ctx->nodes, 700u);
  EXPECT_EQ(ctx->board.hash, boardFromFen(AfterE4D5).hash);
  EXPECT_EQ(ctx->history.count, 1);

  // A passed deadline stops the search unless it is pondering; the node budget counts regardless.
  auto late = contextFor(AfterE4D5);
  late->deadline = late->startTime - 1;
  late->pondering = true;
  EXPECT_FALSE(limitReached(*late));
  late->nodeBudget = 100;
  late->nodes = 100;
  EXPECT_TRUE(limitReached(*late));
  late->stopSearch = false;
  late->nodeBudget = 0;
  late->pondering = false;
  EXPECT_TRUE(limitReached(*late));
  EXPECT_TRUE(late->stopSearch);
  late->stopSearch = false;
  EXPECT_EQ(quiesce(*late, 0, 2, 300, 400), 300);
  EXPECT_TRUE(late->stopSearch);
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

TEST(SearchQuiesce, DeltaPruningInZeroWindowsBelowTheFirstLevel) {
  ASSERT_EQ(param::DeltaMarginCP, 50);
  // Stand pat 200 below beta and no king danger; returns the node's score and its node count.
  auto search = [](const char* fen, int windowWidth, int& beta) {
    auto ctx = contextFor(fen);
    const int standPat = ctx->evaluator->evaluate(ctx->board, -MateValue, MateValue);
    EXPECT_EQ(ctx->evaluator->kingDanger(ctx->board.turn()), 0) << fen;
    beta = standPat + 200;
    const int score = quiesce(*ctx, -1, 3, beta - windowWidth, beta);
    if (windowWidth == 1) {
      const TTEntry* e = ctx->tt.probe(ctx->board.hash);
      EXPECT_TRUE(e && e->depth == -1 && e->score == score) << fen;
    }
    return std::pair(score, ctx->nodes);
  };
  int beta;
  // Taking a pawn adds at most 100 + 50: skipped, and beta - 50 bounds the node.
  const auto pawn = search("4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", 1, beta);
  EXPECT_EQ(pawn, std::pair(beta - 50, uint64_t{1}));
  // Taking a knight may reach beta + 175: searched.
  const auto knight = search("4k3/8/8/3n4/4P3/8/8/R3K3 w - - 0 1", 1, beta);
  EXPECT_GE(knight.first, beta);
  EXPECT_EQ(knight.second, 2u);
  // An open window is never delta-pruned.
  EXPECT_EQ(search("4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", 2, beta).second, 2u);
}

}  // namespace
