// Tablebase answers as search scores.
#pragma once

#include "search/context.h"

constexpr int NoTablebaseScore = -1;  // never a tablebase score: those are draws or mates

// The tablebase score of ctx.board, found `ply` plies from the root, from the side to move's
// view; NoTablebaseScore without a set or an answer. A failed probe lowers ctx.tbMaxMen by one,
// so positions that size stop being asked about.
int probeTablebaseScore(SearchContext& ctx, int ply);
