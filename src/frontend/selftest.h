// Cross-check of the bitboard generator against the reference generator on GUI moves.
#pragma once

#include "search/context.h"

// Compares the two legal move lists of the game position; on a disagreement prints the
// position, the moves each side misses, the board words and both lists. Returns agreement.
bool crossCheckGenerators(const SearchContext& g);

// A reference move and a generator move name the same move (a queen promotion may stand as 0).
bool sameMoveLoosely(int fromA, int toA, int promotionA, int fromB, int toB, int promotionB);
