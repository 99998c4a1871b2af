// Checks of the engine's lines against the position it was asked about.
#pragma once

#include <string>

#include "board/board.h"
#include "board/move.h"

// The legal move a UCI token names in b; false for a malformed or illegal one.
bool legalMove(const Board& b, const std::string& token, Move& out);

// "" when an "info" line is well formed for a search of `searched`, else what is wrong with it.
std::string checkInfoLine(const Board& searched, const std::string& line);

struct BestMove {
  bool legal = false;  // the move itself; a bad ponder part does not make the move illegal
  Move move;
  bool hasPonder = false;
  Move ponder;  // legal after move
};

// Reads "bestmove MOVE [ponder MOVE]"; "" when well formed and legal, else what is wrong.
// out.legal tells whether the move can be played even when the rest of the line is wrong.
std::string parseBestMove(const Board& b, const std::string& line, BestMove& out);
