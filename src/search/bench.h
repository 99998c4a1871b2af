// The bench: a fixed set of positions searched to a fixed depth. Its node count is a signature
// of the search's behaviour; any change to the search or evaluation shows in it.
#pragma once

#include <cstdint>

struct BenchResult {
  uint64_t nodes = 0;
  uint32_t milliseconds = 0;
};

constexpr int BenchDepth = 9;

// Searches every bench position with a fresh context and cleared tables.
BenchResult runBench(int depth = BenchDepth);
