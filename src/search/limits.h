// What "go" asked for, handed from the command loop to the search thread.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "board/move.h"

// How a search at a chosen strength errs; all zero at full strength.
struct Weakening {
  int32_t marginCp = 0;  // each root move gets a bonus of up to this much, drawn from the seed
  int32_t noiseCp = 0;   // every evaluation errs by up to this much either way
  uint32_t seed = 0;     // the same seed, position and limits give the same move
  bool on = false;
};

struct SearchLimits {
  std::vector<Move> searchMoves;  // root moves to consider; empty means all
  int32_t mate = 0;               // stop once a mate in exactly this many moves is found
  int32_t depth = 60;             // plies
  int32_t nodes = 0;              // 0 = no limit
  int32_t moveTime = 0;           // milliseconds, 0 = no time limit
  int32_t maxTime = 0;            // the most this search may ever use, extension included, 0 = none
  bool lastMoveBeforeControl = false;
  bool ponder = false;
  bool infinite = false;          // "bestmove" waits for "stop", whenever the search itself ends
  // When the GUI's "go" arrived: the clock runs from there, not from when the search thread
  // got round to it. None: from the start of the search.
  std::optional<uint32_t> startTick;
  uint16_t multiPv = 1;
  Weakening weakening;
};
