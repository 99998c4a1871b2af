// Time controls and the game clock of one side, kept in microseconds of wall time.
#pragma once

#include <cstdint>
#include <string>

struct TimeControl {
  std::string text;    // as given, for the summary and the PGN
  int moves = 0;       // moves per period; 0 = the base is for the whole game
  int64_t baseUs = 0;  // added at the start and again at each control
  int64_t incUs = 0;   // added after every move
};

// "BASE[+INC]" or "MOVES/BASE[+INC]", in seconds: "0.2+0.01", "40/4", "5".
bool parseTimeControl(const std::string& text, TimeControl& out);

struct SideClock {
  int64_t leftUs = 0;
  int movesToGo = 0;  // in the current period; 0 when there are no periods
};

SideClock startClock(const TimeControl& tc);

// Charges a move that took usedUs; false when the clock fell below zero (the side lost on time).
// Otherwise the increment and, at a control, the next period's base are added.
bool chargeMove(SideClock& clock, const TimeControl& tc, int64_t usedUs);

// The "go" arguments for both clocks: wtime, btime, winc, binc and, with periods, movestogo.
std::string goArguments(const SideClock& white, const SideClock& black, const TimeControl& tc, int sideToMove);
