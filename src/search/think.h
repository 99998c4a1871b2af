// One "go": iterative deepening over the root moves, reports, and "bestmove".
#pragma once

#include "search/context.h"
#include "search/limits.h"

// Returns the move it answered with (null when there is none).
Move think(SearchContext& ctx, const SearchLimits& limits);
int rootSearch(SearchContext& ctx, int depth, int alpha, int beta);

// Completes row 0 of the PV from the table and writes its text; cuts it at the first bad move.
std::string rebuildPV(SearchContext& ctx);
void reportPV(SearchContext& ctx, int dp, int score, int alpha, int beta);

// Figures every report line carries.
uint32_t elapsedMs(const SearchContext& ctx, uint32_t now);
int npsOf(const SearchContext& ctx, uint32_t elapsed);
