// The bench's node count is the search's signature: any change in what the search or the
// evaluation does shows here. When a change is meant, update the number here and in the README.
#include <gtest/gtest.h>

#include "frontend/engine_pipe.h"

namespace {
constexpr const char* BenchSignature = "bench depth 9: 5178879 nodes, ";
}

TEST(Bench, NodeCountIsTheSignature) {
  const EngineRun run = runEngine("", "bench");
  EXPECT_EQ(run.output.rfind(BenchSignature, 0), 0u) << run.output;
  EXPECT_EQ(run.exitCode, 0);
}
