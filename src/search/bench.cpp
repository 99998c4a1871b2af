#include "search/bench.h"

#include <memory>

#include "board/oldboard.h"
#include "search/clock.h"
#include "search/context.h"
#include "search/think.h"

namespace {

// Openings, middlegames, endgames, mates and stalemates.
constexpr const char* benchPositions[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1 2",
    "r1bqkbnr/pppp1ppp/2n5/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R b KQkq - 3 3",
    "rnbqkb1r/pp2pppp/3p1n2/8/3NP3/8/PPP2PPP/RNBQKB1R w KQkq - 1 5",
    "rnbqkb1r/ppp1pppp/5n2/3p4/2PP4/8/PP2PPPP/RNBQKBNR w KQkq - 1 3",
    "r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/3P1N2/PPP2PPP/RNBQK2R w KQkq - 4 5",
    "rnbqkb1r/pppppppp/5n2/8/3P4/8/PPP1PPPP/RNBQKBNR w KQkq - 1 2",
    "r1bqkbnr/pp1ppppp/2n5/2p5/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3",
    "rnbqk2r/pppp1ppp/5n2/4p3/1b2P3/2N5/PPPP1PPP/R1BQKBNR w KQkq - 2 4",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 2 8",
    "2rq1rk1/pp1bppbp/2np1np1/8/3NP3/1BN1BP2/PPPQ2PP/2KR3R b - - 4 11",
    "r2q1rk1/ppp2ppp/2n1bn2/2bpp3/4P3/2PP1NP1/PP1N1PBP/R1BQ1RK1 w - - 0 8",
    "rnb2rk1/pp3ppp/4pq2/2pp4/3P4/2PBPN2/PP3PPP/R2QK2R w KQ - 0 9",
    "r1b2rk1/2q1bppp/p2p1n2/np2p3/3PP3/5N1P/PPBN1PP1/R1BQR1K1 b - - 0 13",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    "3r1rk1/p4ppp/1p6/8/2P5/1P3N2/P4PPP/3R1RK1 w - - 0 20",
    "r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 4 4",
    "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1",
    "5rk1/5ppp/8/8/8/8/5PPP/2Q3K1 w - - 0 1",
    "r5k1/5ppp/8/8/8/8/5PPP/R5K1 w - - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "8/8/8/4k3/8/8/4P3/4K3 w - - 0 1",
    "1k6/1P6/1K6/8/8/8/8/8 w - - 0 1",
    "8/8/4k3/8/8/8/3K4/R7 w - - 0 1",
    "8/8/8/8/3k4/8/8/2BNK3 w - - 0 1",
    "8/3k4/8/8/8/8/3B4/3K1B2 w - - 0 1",
    "4k3/8/8/8/8/8/q7/4K3 w - - 0 1",
    "6k1/5p2/6p1/8/7p/8/6PP/6K1 b - - 0 1",
    "8/5k2/8/3R4/8/4K3/5P2/3r4 w - - 0 1",
    "8/8/1p1k4/p1p5/P1P5/1P1K4/8/8 w - - 0 1",
    "8/pp3kpp/8/8/8/8/PP3KPP/8 w - - 0 1",
    "2k5/8/8/8/8/8/6PP/6K1 w - - 0 1",
    "8/P7/8/8/8/8/7p/K6k w - - 0 1",
    "7k/5Q2/6K1/8/8/8/8/8 b - - 0 1",
    "k7/8/KQ6/8/8/8/8/8 b - - 0 1",
    "6rk/5Npp/8/8/8/8/8/6K1 b - - 0 1",
    "kr6/8/1K6/8/8/8/8/7R w - - 0 1",
};

}  // namespace

BenchResult runBench(int depth) {
  BenchResult result;
  const uint32_t start = tickNow();
  // A fresh context: nothing cached from earlier searches may change the count, and no tablebase
  // set, so the count does not depend on which tables the machine has.
  auto ctx = std::make_unique<SearchContext>();
  ctx->silent = true;
  for (const char* fen : benchPositions) {
    resetPosition(*ctx);
    int side = White;
    parseFen(ctx->old, fen, &side, nullptr);
    ctx->oldSide = side;
    boardFromOld(ctx->board, ctx->old, side);
    historyPush(ctx->history, ctx->board.hash, ctx->board.st.fiftyCounter == 0);
    ctx->tt.clear();
    SearchLimits limits;
    limits.depth = depth;
    think(*ctx, limits);
    result.nodes += ctx->nodes;
  }
  result.milliseconds = tickNow() - start;
  return result;
}
