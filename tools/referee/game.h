// Engines as the referee drives them, and one game between two of them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/move.h"
#include "child.h"
#include "clock.h"
#include "lines.h"

struct RunSettings {
  std::string cwd;        // engines' working directory; empty: the referee's
  bool ponder = false;
  int64_t graceMs = 5000;  // beyond its clock before a silent engine counts as hung
  int64_t stopMs = 2000;   // for the bestmove that answers "stop"
  int maxPlies = 400;      // a game this long is a draw
};

struct EngineSetup {
  std::string label;  // "A" or "B"
  std::vector<std::string> argv;
  std::vector<std::string> options;  // "Name=Value", or "Name" for a button
};

struct Engine {
  const EngineSetup* setup = nullptr;
  Child proc;
  std::string name;  // its "id name", else the command
  bool busy = false;       // a "go" is not yet answered
  bool pondering = false;  // the "go" was "go ponder"
  Board searched;          // the position of the running search
  Move ponderMove;         // the reply it ponders on
  bool earlyAnswer = false;  // it sent bestmove while still pondering
  BestMove early;
  int lastDepth = 0;  // "depth" of its last info line in this search, as a GUI would record it
};

// Counts of one game, or summed over many.
struct Tally {
  int flags = 0, hangs = 0, crashes = 0, illegal = 0, protocol = 0;
  int64_t maxOverrunUs = 0;  // largest time beyond the clock
  // By engine, A then B: the smallest clock left after a move (not counting flags), and the moves
  // a GUI would record at depth 1 or none (the last depth reported before bestmove was 1, or none
  // was; book moves among them) though more than one was legal.
  int64_t minLeftUsBy[2] = {INT64_MAX, INT64_MAX};
  int shallowBy[2] = {0, 0};
  int64_t minLeftUs() const { return std::min(minLeftUsBy[0], minLeftUsBy[1]); }
  void add(const Tally& t);
};

struct GameRecord {
  int index = 0;
  bool aWhite = true;
  std::vector<std::string> san;
  std::string startFen;  // empty: the standard start
  int openingPlies = 0;
  std::string result;  // "1-0", "0-1", "1/2-1/2"
  std::string reason;
  double scoreA = 0.5;
  Tally tally;
};

// Starts the engine and sets its options; throws std::runtime_error when it does not answer.
void startEngine(Engine& e, const RunSettings& s, int& protocolErrors);
void stopEngine(Engine& e);

// From `startFen` (empty: the standard start) and then the opening's moves.
GameRecord playGame(Engine& a, Engine& b, bool aWhite, const std::vector<std::string>& opening,
                    const TimeControl& tc, const RunSettings& s, int index, const std::string& startFen = "");

// Chess960 start position n (0..959) in the standard numbering, as FEN; 518 is the standard start.
std::string chess960Start(int n);

// Random legal plies, none ending the game; the same for the same seed and number.
std::vector<std::string> randomOpening(uint64_t seed, uint64_t number);

// Checks that a line of moves is legal from the start; "" or what is wrong.
std::string checkOpening(const std::vector<std::string>& moves);

// The opening lines of a file, one line of UCI moves each, '#' starting a comment; false with
// the reason when it cannot be read, holds none, or a line is not legal from the start.
bool readOpenings(const std::string& path, std::vector<std::vector<std::string>>& out, std::string& error);

void logLine(const std::string& text);
