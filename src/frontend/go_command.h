// "go": reading the limits, the time allotment from the clocks, and handing the search off.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frontend/settings.h"
#include "search/limits.h"
#include "search/thread.h"

// The clock values a "go" may carry; 0 when absent.
struct GoClock {
  int32_t wtime = 0, btime = 0, winc = 0, binc = 0, movesToGo = 0;
};

struct GoRequest {
  SearchLimits limits;  // everything but the allotment and the search moves
  GoClock clock;
  bool ponderRequested = false;
  // Matched against the legal moves only once no search runs, since that reads the Board.
  std::vector<std::string> searchMoveTokens;
};

// Walks the tokens after "go"; multiPv is the MultiPV setting.
GoRequest parseGo(const std::vector<std::string>& tokens, int multiPv);

struct Allotment {
  int32_t ms = 0;
  int32_t maxMs = 0;  // the most the search may use even when it extends its deadline; 0 = none
  bool lastMoveBeforeControl = false;
};

// The allotment rule itself, for the side to move (0 white, 1 black): a share of the clock
// by moves to go, or a fixed step by the clock when there are neither increments nor moves to go.
Allotment formulaAllotment(const GoClock& clock, int side);

// Keeps back on the own clock for the way to and from the GUI.
int32_t safetyMargin(int32_t ownTime);

// formulaAllotment kept inside the clock: at least 1 ms (a clock-based allotment must never
// read as "no time limit"), and small enough that the search's longest deadline still leaves
// the safety margin on the clock; maxMs is that bound.
Allotment timeAllotment(const GoClock& clock, int side);

// The whole command: limits, allotment, the book, then the hand-off to the search thread.
void goCommand(ThinkThread& engine, const EngineSettings& settings, const std::vector<std::string>& tokens);
