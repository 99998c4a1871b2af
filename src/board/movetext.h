// Text forms of moves: UCI coordinates (read and written) and standard algebraic notation.
#pragma once

#include <string>

#include "board/board.h"
#include "board/move.h"

constexpr char promotionLetters[] = "  nbrq";  // by promotion piece

std::string moveToUci(Move m);

struct UciMove {
  int from, to, promotion;
};
// Decodes the first four or five characters; false for a token shorter than four.
// Squares are not range-checked: a bad square simply matches no legal move.
bool parseUciMove(const std::string& token, UciMove& out);
std::string uciMoveText(const UciMove& m);

// Finds the legal move with the decoded from, to and promotion; false when there is none.
bool findLegalMove(const Board& b, const UciMove& um, Move& out);

std::string moveToSan(const Board& b, Move m);
