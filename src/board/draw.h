// Draws the rules decide without a search: the fifty-move rule and material that cannot mate.
#pragma once

#include "board/board.h"

bool isDrawByRule(const Board& b);
