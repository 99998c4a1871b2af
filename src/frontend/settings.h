// The front end's option values, kept for the whole run.
#pragma once

#include <string>

struct EngineSettings {
  std::string tablebasePath = "/gtb/";
  int tablebaseCacheMb = 8;
  int multiPv = 1;       // 1..256, copied into every "go"
  bool ponder = true;    // off: a "go ponder" is dropped
  bool ownBook = true;   // on: a timed "go" asks the opening book first
  int tbUsage = 2;       // 0 never, 1 root, 2 always
};

// Process-wide: written by the command loop only, between searches.
extern EngineSettings engineSettings;
