// The process-wide generator of uniform 15-bit numbers (book choice, evaluation noise,
// random games), seeded from the clock at start-up.
#pragma once

#include <cstdint>

void seedRandom(uint32_t seed);
int random15();  // 0 .. 32767
