// Keys of the game and search positions since the last irreversible move, for repetitions.
#pragma once

#include "board/board.h"

struct HashHistory {
  // Roomier than any game reaches between irreversible moves plus the deepest search line;
  // a push beyond it is counted but not stored, so pushes and pops stay paired.
  static constexpr int Capacity = 1024;
  uint64_t keys[Capacity];
  uint8_t irreversible[Capacity];
  uint16_t irreversibleAt[Capacity];
  int count = 0;
  int irreversibleCount = 0;
  int dropped = 0;
};

void historyClear(HashHistory& h);
void historyPush(HashHistory& h, uint64_t key, bool irreversible);
void historyPop(HashHistory& h);
// Has the Board's position (already pushed) occurred before since the last irreversible entry.
bool isRepetition(const HashHistory& h, const Board& b);
