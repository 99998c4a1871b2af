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
  bool given = false;  // "wtime" or "btime" came with a number, zero included: the search is timed
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

// The least a timed search is given: an empty clock still gets an answer, never "no limit".
constexpr int32_t MinimumThinkMs = 1;

// formulaAllotment kept inside the clock. maxMs, the hard bound of every deadline, extension
// included, is the own clock less the move overhead (what the GUI, the pipe and the system take
// per move). On a short clock the allotment keeps a reserve: it never spends the whole increment,
// so the clock grows back instead of draining to nothing.
Allotment timeAllotment(const GoClock& clock, int side, int32_t overhead);

// A fixed time per move is a hard limit: the overhead is kept back from it too, though never
// more than half of it.
int32_t moveTimeLimit(int32_t moveTime, int32_t overhead);

// The whole command: limits, allotment, the book, then the hand-off to the search thread.
void goCommand(ThinkThread& engine, const EngineSettings& settings, const std::vector<std::string>& tokens);
