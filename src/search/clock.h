// The search clock: the millisecond tick count, read from the system every 100th call.
#pragma once

#include <cstdint>

// Forces the next readClock to read the system clock.
void resetClockCountdown();
uint32_t readClock();
// The system clock at once.
uint32_t tickNow();

// Has `now` passed `deadline`, with the 32-bit clock allowed to wrap.
constexpr bool pastDeadline(uint32_t now, uint32_t deadline) { return int32_t(deadline - now) < 0; }
