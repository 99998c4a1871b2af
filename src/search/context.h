// Everything one search works on: the position, the tables, the per-ply rows, the root list,
// the limits, the counters and the flags the command loop shares with the search thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "board/board.h"
#include "board/history.h"
#include "board/move.h"
#include "board/movegen.h"
#include "board/oldboard.h"
#include "eval/evaluator.h"
#include "search/limits.h"
#include "search/tt.h"
#include "tablebase/tablebase_set.h"

constexpr int MaxPly = 120;      // deeper nodes go straight to the quiescence search
constexpr int PvColumns = 122;
constexpr int PlyRows = 126;
constexpr int MaxMultiPv = 256;

// One row per ply: the move being searched, the killers, and the line found from this ply.
struct PlyRecord {
  Move current;
  Move mateKiller;
  Move killers[2];
  Move pv[PvColumns];  // row p holds its line from column p; a null move ends it
};

struct MultiPvSlot {
  Move firstMove;  // null = empty slot
  Move ponderMove;
  int32_t score = 0;
  int32_t depth = 0;
  int32_t seldepth = 0;
  uint64_t nodes = 0;
  int32_t nps = 0;
  int32_t hashfull = 0;
  int32_t time = 0;
  std::string pv;
};

struct SearchContext {
  SearchContext();

  // Reporting in MultiPV mode.
  MultiPvSlot slots[MaxMultiPv];
  int32_t slotOrder[MaxMultiPv] = {};
  int32_t multiPvAlpha = -32767;
  // The deepest iteration a PV line was printed for, and the last root table cut whose line a
  // timed search left unprinted, with its score and window: a search must not end with the GUI
  // holding a shallower line than the one its move rests on.
  int32_t printedDepth = 0;
  struct UnprintedCut {
    int32_t dp = 0, score = 0, alpha = 0, beta = 0;
  } unprintedCut;

  // Time.
  uint32_t allotted = 0;  // milliseconds, 0 = none
  bool lastMoveBeforeControl = false;
  int multiPvCount = 1;
  uint32_t startTime = 0, lastInfoTime = 0, lastCurrmoveTime = 0;
  uint32_t deadline = 0;
  int64_t nodeBudget = 0;

  // The root move list; the three arrays move together.
  int rootCount = 0;
  bool rootRestricted = false;  // "searchmoves" left out some legal moves
  Move rootMoves[MaxMoves];
  int32_t rootScores[MaxMoves] = {};
  uint64_t rootNodes[MaxMoves] = {};

  int32_t prevScore = -32767;
  int32_t seldepth = 0;
  PlyRecord pvTable[PlyRows] = {};
  TranspositionTable tt;
  std::unique_ptr<BitEval> evaluator;
  std::unique_ptr<TablebaseSet> tablebases;  // none when no complete group of tables was found

  // The game position in both forms, kept in step by the command loop between searches.
  Board board;
  OldBoard old;
  int oldSide = White;
  HashHistory history;
  HistoryTable historyTable = {};

  SearchLimits limits;
  std::atomic<bool> stopSearch{false};     // the search must unwind: the GUI, or a limit, said so
  std::atomic<bool> stopRequested{false};  // the GUI said "stop" (or the engine is closing)
  std::atomic<bool> pondering{false};
  uint64_t nodes = 0;
  uint64_t tbhits = 0;
  int32_t tbMaxMen = 0;  // positions with more men are not probed; lowered when a probe fails
  int32_t tbUsage = 2;  // 0 never, 1 at the root's children only, 2 wherever enough depth remains
  bool silent = false;  // no "info" or "bestmove" lines (the bench)
};

// Back to the initial position in both forms, white to move, history empty.
void resetPosition(SearchContext& ctx);
