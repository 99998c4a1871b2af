// Counting the legal move tree: the check on generator, make and unmake together.
#pragma once

#include <cstdint>

#include "board/board.h"


// Leaf count to `depth`; adds the positions in check to `checks`. Leaves b as it was.
uint64_t perft(Board& b, int depth, uint64_t& checks);
