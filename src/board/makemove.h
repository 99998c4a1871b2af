// Playing moves on a Board: with an undo record for the search, without one for game moves.
#pragma once

#include "board/board.h"
#include "board/move.h"

struct UndoInfo {
  uint64_t saved[BoardWords];  // valid where the returned mask has the word's bit
  uint8_t restore[8];          // up to four (square + 1, old mailbox code) pairs, 0-terminated
};

// Bits of the saved-word mask.
constexpr uint32_t wordBit(int word) { return uint32_t{1} << word; }
constexpr uint32_t NullMoveMask = wordBit(WordHash) | wordBit(WordState);

// Plays m; checkHint >= 0 is taken as the new check flag, a negative hint computes it.
uint32_t makeMove(Board& b, Move m, UndoInfo& u, int checkHint = -1);
void unmakeMove(Board& b, uint32_t mask, const UndoInfo& u);

// Plays m without saving anything; always computes check.
void doMove(Board& b, Move m);

// Passes the turn (the search's null move); undone by unmakeMove with NullMoveMask.
// The caller pushes the new key onto its history as irreversible.
uint32_t makeNullMove(Board& b, UndoInfo& u);

// Is colour c's king attacked by the other side.
bool kingAttacked(const Board& b, int c);
