// The game position in the two forms the command loop keeps in step, its key history and the
// evaluator that scores it.
#pragma once

#include <memory>

#include "board/board.h"
#include "board/history.h"
#include "board/oldboard.h"
#include "eval/evaluator.h"

struct Game {
  Board board;
  OldBoard old;
  int oldSide = White;  // the reference board does not store its side to move
  HashHistory history;
  std::unique_ptr<BitEval> eval = std::make_unique<BitEval>();
};

// Both forms at the initial position, white to move, history empty.
void resetGame(Game& g);
