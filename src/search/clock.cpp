#include "search/clock.h"

#include "platform/tick.h"

namespace {
// One search thread reads these; the command loop never does.
int32_t checkCountdown = 0;
uint32_t cachedTick = 0;
}  // namespace

uint32_t tickNow() { return uint32_t(tickCount()); }

void resetClockCountdown() { checkCountdown = 0; }

uint32_t readClock() {
  if (--checkCountdown < 1) {
    checkCountdown = 100;
    cachedTick = tickNow();
  }
  return cachedTick;
}
