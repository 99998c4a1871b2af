// Counting the legal move tree: the check on generator, make and unmake together.
#pragma once

#include <cstdint>

#include "board/board.h"


// Deeper trees never finish; the cap keeps the recursion's stack bounded whatever is asked.
constexpr int MaxPerftDepth = 64;

// Leaf count to `depth`; adds the positions in check to `checks`. Leaves b as it was.
uint64_t perft(Board& b, int depth, uint64_t& checks);
