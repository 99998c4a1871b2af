// Every test runs with the engine's global tables built, as the engine itself does at start-up.
#include <gtest/gtest.h>

#include "frontend/startup.h"

namespace {

class TablesEnvironment : public testing::Environment {
 public:
  void SetUp() override { initEngineTables(); }
};

[[maybe_unused]] testing::Environment* const tables = testing::AddGlobalTestEnvironment(new TablesEnvironment);

}  // namespace
