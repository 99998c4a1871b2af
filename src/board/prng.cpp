#include "board/prng.h"

namespace {
uint64_t state = 0x9E3779B97F4A7C15ULL;
}

void seedRandom(uint32_t seed) { state = 0x9E3779B97F4A7C15ULL ^ (uint64_t{seed} << 17) ^ seed; }

int random15() {
  // splitmix64: cheap, and its high bits are uniform enough for picking among moves.
  uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  z ^= z >> 31;
  return int(z >> 49);
}
