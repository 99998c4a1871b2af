// A cheap static estimate (material and piece-square values) for the search's pruning.
#pragma once

#include "board/board.h"

// Centipawns from the side to move's view.
int quickEval(const Board& b);

// Game phase from the phase material: 256 with every piece on the board, 0 at 2200 or less.
int gamePhase(int tmat);
