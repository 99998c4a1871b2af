// Speed of the board code: perft from the start position through the search's move picker, one
// line; with a number of random games, also random games per second.
//   velmar_bench [perft-depth] [random-games]
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "board/board.h"
#include "board/prng.h"
#include "platform/tick.h"
#include "frontend/diagnostics.h"
#include "frontend/startup.h"
#include "search/perft.h"

int main(int argc, char** argv) {
  const int depth = argc > 1 ? std::atoi(argv[1]) : 6;
  const int games = argc > 2 ? std::atoi(argv[2]) : 0;
  initEngineTables();

  Board b;
  resetBoard(b);
  uint64_t checks = 0;
  int64_t start = tickCount();
  const uint64_t nodes = perft(b, depth, checks);
  double seconds = double(tickCount() - start) / 1000.0;
  std::printf("perft %d: %llu nodes in %.3f s, %.1f Mnodes/s\n", depth, (unsigned long long)nodes, seconds,
              double(nodes) / seconds / 1e6);

  if (games <= 0) return 0;
  seedRandom(12345);
  RandomGameStats stats;
  std::vector<uint64_t> keys;
  start = tickCount();
  for (int g = 0; g < games; ++g) playRandomGame(stats, keys);
  seconds = double(tickCount() - start) / 1000.0;
  std::printf("random games: %d in %.3f s, %.0f games/s, %.2f Mplies/s\n", games, seconds, games / seconds,
              double(stats.totalPlies) / seconds / 1e6);
  return 0;
}
