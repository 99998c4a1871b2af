#include "board/history.h"

void historyClear(HashHistory& h) {
  h.count = 0;
  h.irreversibleCount = 0;
  h.dropped = 0;
}

void historyPush(HashHistory& h, uint64_t key, bool irreversible) {
  if (h.count == HashHistory::Capacity) {
    ++h.dropped;
    return;
  }
  if (irreversible) h.irreversibleAt[h.irreversibleCount++] = uint16_t(h.count);
  h.irreversible[h.count] = irreversible;
  h.keys[h.count++] = key;
}

void historyPop(HashHistory& h) {
  if (h.dropped) {
    --h.dropped;
    return;
  }
  if (h.count == 0) return;
  --h.count;
  if (h.irreversible[h.count]) --h.irreversibleCount;
}

bool isRepetition(const HashHistory& h, const Board& b) {
  // Only a position the same side was to move in can repeat this one.
  const int first = h.irreversibleCount ? h.irreversibleAt[h.irreversibleCount - 1] : 0;
  for (int i = h.count - 3; i >= first; i -= 2)
    if (h.keys[i] == b.hash) return true;
  return false;
}
