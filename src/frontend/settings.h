// The front end's option values, kept for the whole run.
#pragma once

#include <cstdint>
#include <string>

#include "search/strength.h"

// Covers the GUI, the pipe and a busy machine's scheduling at fast time controls.
constexpr int DefaultMoveOverheadMs = 50;
constexpr int MaxMoveOverheadMs = 5000;

struct EngineSettings {
  std::string tablebasePath = "/gtb/";
  int tablebaseCacheMb = 8;
  int multiPv = 1;       // 1..256, copied into every "go"
  bool ponder = true;    // what the GUI was told; a "go ponder" is searched either way
  bool ownBook = true;   // on: a timed "go" asks the opening book first
  int tbUsage = 2;       // 0 never, 1 root, 2 always
  int moveOverhead = DefaultMoveOverheadMs;  // milliseconds lost per move outside the search
  bool limitStrength = false;  // on: UCI_Elo decides how well the engine plays, Skill is ignored
  int uciElo = MinStrengthElo;
  uint32_t strengthSeed = 0;   // drawn anew for every game, so that a weakened engine varies
};

// Process-wide: written by the command loop only, between searches.
extern EngineSettings engineSettings;
