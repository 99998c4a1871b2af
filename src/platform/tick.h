// Millisecond tick count for timings and seeds.
#pragma once

#include <chrono>
#include <cstdint>

inline int64_t tickCount() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
