// A chosen playing strength: what a search at a given UCI_Elo may see and how it errs.
#pragma once

#include <cstdint>

#include "search/limits.h"

// The outside rating scale the levels are measured on starts here; the top is velmar's own
// measured strength on it, rounded down to 50.
constexpr int MinStrengthElo = 1350;
constexpr int MaxStrengthElo = 2050;

struct StrengthLevel {
  int32_t elo;
  int32_t nodes;     // budget per move, 0 = none
  int32_t depth;     // cap in plies
  int32_t marginCp;  // root moves this close to the best may be played instead
  int32_t noiseCp;   // the evaluation errs by up to this much either way
};

// The settings for `elo` (clamped to the scale), between the calibrated rows: node budgets
// geometrically, the rest linearly.
StrengthLevel strengthAt(int elo);

// Narrows what the GUI asked for to what a player of `elo` sees (fewer nodes, less depth) and
// adds the level's errors, drawn from `seed`.
void limitStrength(SearchLimits& limits, int elo, uint32_t seed);
