// Staged move generation and ordering: hash move, mate killer, captures, killers, quiet moves by
// history, losing captures; every move returned is legal.
#pragma once

#include "board/board.h"
#include "board/move.h"
#include "board/movegen.h"
#include "search/context.h"

enum class PickerMode {
  Main,            // main search, not in check (in check it picks evasions)
  Quiescence,      // quiescence captures (qdepth < 0)
  QuiescenceChecks,  // quiescence captures, then quiet checks (qdepth 0)
};

class MovePicker {
 public:
  // In check every mode picks all legal evasions.
  MovePicker(const Board& b, int ply, Move hashMove, PickerMode mode, const PlyRecord& row, const HistoryTable& history);
  // The next move, or false when exhausted.
  bool next(Move& out);

 private:
  // The stages and lists are the picker's own business (move_picker.cpp).
  const Board& b_;
  int ply_;
  Move hashMove_;
  PickerMode mode_;
  const PlyRecord& row_;
  const HistoryTable& history_;
};

// Killer bookkeeping for a quiet cut-off move at a ply.
void updateKillers(PlyRecord& row, Move m);
// Rewards a quiet cut-off move with depth squared, halving every counter when one would overflow.
void updateHistory(HistoryTable& history, const Board& b, int dp, Move m);
// Is the move word a legal move of the position with flags that agree with the board.
bool isMoveValid(const Board& b, Move m, Bitboard pinned);
// Quiet for killers and history: no capture, no castling, no promotion.
constexpr bool isQuiet(Move m) { return !(m.flags & (MoveCapture | MoveCastle)) && !m.promotion; }
