// What "go" asked for, handed from the command loop to the search thread.
#pragma once

#include <cstdint>
#include <vector>

#include "board/move.h"

struct SearchLimits {
  std::vector<Move> searchMoves;  // root moves to consider; empty means all
  int32_t mate = 0;               // stop once a mate in exactly this many moves is found
  int32_t depth = 60;             // plies
  int32_t nodes = 0;              // 0 = no limit
  int32_t moveTime = 0;           // milliseconds, 0 = no time limit
  int32_t maxTime = 0;            // the most this search may ever use (clock minus a safety margin), 0 = none
  bool lastMoveBeforeControl = false;
  bool ponder = false;
  uint16_t multiPv = 1;
};
