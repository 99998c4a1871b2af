// Evaluations per second over a fixed set of positions, with the evaluation cache off and on.
//   velmar_eval_bench [positions] [rounds]
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "board/makemove.h"
#include "board/movegen.h"
#include "board/prng.h"
#include "platform/tick.h"
#include "eval/evaluator.h"
#include "frontend/startup.h"

namespace {

// Positions along random games from the initial position: a fixed mix of all phases.
std::vector<Board> positions(int count) {
  std::vector<Board> out;
  seedRandom(2026);
  while (int(out.size()) < count) {
    Board b;
    resetBoard(b);
    for (int ply = 0; ply < 200 && int(out.size()) < count; ++ply) {
      Move moves[MaxMoves];
      const int n = generateMoves(b, moves);
      if (n == 0) break;
      doMove(b, moves[random15() % n]);
      out.push_back(b);
    }
  }
  return out;
}

double rate(BitEval& e, const std::vector<Board>& set, int rounds) {
  volatile int sink = 0;
  const int64_t start = tickCount();
  for (int r = 0; r < rounds; ++r)
    for (const Board& b : set) sink = sink + e.evaluate(b, -32767, 32767);
  const double seconds = double(tickCount() - start) / 1000.0;
  return double(set.size()) * rounds / seconds;
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 20000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 200;
  initEngineTables();
  const std::vector<Board> set = positions(count);
  auto e = std::make_unique<BitEval>();
  e->setCacheLookupsOff(true);
  const double off = rate(*e, set, rounds);
  e->setCacheLookupsOff(false);
  rate(*e, set, 1);  // fill the cache
  const double on = rate(*e, set, rounds);
  std::printf("evaluations: %.0f/s with the cache off, %.0f/s on (%d positions x %d)\n", off, on, count, rounds);
  return 0;
}
