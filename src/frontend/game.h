// The game position in the two forms the command loop keeps in step, and its key history.
#pragma once

#include "board/board.h"
#include "board/history.h"
#include "board/oldboard.h"

struct Game {
  Board board;
  OldBoard old;
  int oldSide = White;  // the reference board does not store its side to move
  HashHistory history;
};

// Both forms at the initial position, white to move, history empty.
void resetGame(Game& g);
