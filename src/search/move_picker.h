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
  MovePicker(const Board& b, int ply, Move hashMove, PickerMode mode, const PlyRecord& row,
             const HistoryTable& history);
  // The next move, or false when exhausted.
  bool next(Move& out);
  // Once the captures are generated, their children's table buckets are fetched from this table.
  void fetchChildrenFrom(const TranspositionTable& tt) { tt_ = &tt; }

 private:
  enum class Stage : uint8_t {
    HashMove,
    MateKiller,
    GenerateTactical,
    Tactical,
    FirstKiller,
    SecondKiller,
    GenerateQuiet,
    Quiet,
    LosingCaptures,
    GenerateChecks,
    Checks,
    EvasionHashMove,
    GenerateEvasions,
    Evasions,
    Done,
  };

  // An early-stage candidate (hash move, mate killer, killer) that may be returned now.
  bool takeEarly(Move m, Move& out);
  bool alreadyReturned(Move m) const;
  void forgetReturned(Move m);
  // Highest score among the unselected entries, first among equals.
  Move selectBest();
  bool nextTactical(Move& out);
  bool nextQuiet(Move& out);
  bool nextLosingCapture(Move& out);
  bool nextCheck(Move& out);
  bool nextEvasion(Move& out);
  void scoreTactical();
  void scoreQuiet();
  void scoreEvasions();

  const Board& b_;
  const TranspositionTable* tt_ = nullptr;
  const PlyRecord& row_;
  const HistoryTable& history_;
  // The pinned pieces, worked out at the first legality test: many quiescence nodes have none to make.
  Bitboard pinned() {
    if (!pinnedKnown_) pinned_ = pinnedPieces(b_), pinnedKnown_ = true;
    return pinned_;
  }
  Bitboard pinned_ = 0;
  bool pinnedKnown_ = false;
  Move hashMove_;
  PickerMode mode_;
  Stage stage_;
  bool hashReturned_ = false;  // evasions only: the list entry equal to it is skipped
  int next_ = 0;
  int count_ = -1;  // -1 until the stage's list is generated
  int returnedCount_ = 0;
  int deferredCount_ = 0;
  int deferredNext_ = 0;
  // The lists are left unset (anonymous unions skip Move's zeroing, 2 KB a node): every entry
  // is written before it is read, and the counts above bound every read.
  union { Move returned_[4]; };  // hash move, mate killer, two killers
  union { Move moves_[MaxMoves]; };
  // The ordering score above, 255 less the entry's place below: the highest key is the first
  // entry with the highest score. Past the last entry, three keys below any real one, so a scan
  // can read whole fours.
  int64_t keys_[MaxMoves + 3];
  static constexpr int64_t LowestKey = INT64_MIN;
  void endKeys() { keys_[count_] = keys_[count_ + 1] = keys_[count_ + 2] = LowestKey; }
  static constexpr int64_t orderKey(int32_t score, int place) { return int64_t(score) * 256 + (255 - place); }
  static constexpr int32_t keyScore(int64_t key) { return int32_t(key >> 8); }
  static constexpr int keyIndex(int64_t key) { return 255 - int(key & 255); }
  static_assert(MaxMoves <= 256, "a place fits in the key's low byte");
  union { Move deferred_[MaxMoves]; };  // captures that lose material, in the order they were put off
};

// Killer bookkeeping for a quiet cut-off move at a ply.
void updateKillers(PlyRecord& row, Move m);
// Rewards a quiet cut-off move with depth squared, halving every counter when one would overflow.
void updateHistory(HistoryTable& history, const Board& b, int dp, Move m);
// Is the move word a legal move of the position with flags that agree with the board.
bool isMoveValid(const Board& b, Move m, Bitboard pinned);
// Quiet for killers and history: no capture, no castling, no promotion.
constexpr bool isQuiet(Move m) { return !(m.flags & (MoveCapture | MoveCastle)) && !m.promotion; }
