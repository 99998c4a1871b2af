#include <cstdio>

#include "platform/console.h"
#include "platform/tick.h"
#include "frontend/diagnostics.h"
#include "search/perft.h"

void perftCommand(Board& b, int depth) {
  if (depth >= 1) print("fen = %s\n", boardToFen(b).c_str());
  uint64_t checks = 0;
  const int64_t start = tickCount();
  const uint64_t nodes = perft(b, depth, checks);
  const int64_t elapsed = tickCount() - start;
  print("%lld nodes, %lld checks, %0.3lf s\n", (long long)nodes, (long long)checks, elapsed * 0.001);
}
