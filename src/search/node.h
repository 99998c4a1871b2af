// What the main and quiescence search nodes share: the per-ply row set-up, the PV copy, the
// passed-pawn test of the pruning rules, and the limit checks with an already read clock.
#pragma once

#include <cstdint>

#include "board/board.h"
#include "board/move.h"
#include "eval/eval_masks.h"
#include "search/context.h"

// Whole plies of a depth in 1/256 plies, rounded up.
constexpr int wholePlies(int depth) { return (depth + 255) >> 8; }

// Row p starts empty, and the killers two plies down start from this node's children only.
inline void enterNode(SearchContext& ctx, int ply) {
  PlyRecord& row = ctx.pvTable[ply];
  if (ply > 0) row.pv[ply] = row.pv[ply + 1] = Move{};
  row.current = Move{};
  PlyRecord& grandchildren = ctx.pvTable[ply + 2];
  grandchildren.mateKiller = grandchildren.killers[0] = grandchildren.killers[1] = Move{};
  ++ctx.nodes;
}

// The child's table bucket and evaluation-cache slot start loading as soon as its key is known:
// its first steps read both.
inline void prefetchChild(SearchContext& ctx, uint64_t key) {
  ctx.tt.prefetch(key);
  ctx.evaluator->prefetch(key);
}

// Row p's line becomes its move (already in column p) followed by the child's line.
inline void copyChildLine(SearchContext& ctx, int ply) {
  Move* line = ctx.pvTable[ply].pv;
  const Move* child = ctx.pvTable[ply + 1].pv;
  for (int col = ply + 1; col < PvColumns; ++col) {
    line[col] = child[col];
    if (isNullMove(child[col])) break;
  }
}

// No enemy pawn can stop or capture a pawn of colour c on sq on its way to promotion.
inline bool isPassedPawn(const Board& b, int colour, int sq) {
  return !(frontSpan[colour][sq] & b.pieces(Pawn, colour ^ 1));
}

// Killer moves of the row, which the pruning rules never drop.
inline bool isKillerMove(const PlyRecord& row, Move m) {
  return moveEqual(m, row.mateKiller) || moveEqual(m, row.killers[0]) || moveEqual(m, row.killers[1]);
}

// The quiescence search's limit: the deadline, which does not count while pondering. Sets
// stopSearch when it has passed.
bool deadlineReached(SearchContext& ctx, uint32_t now);
// The main search's limits, the deadline and the node budget, with the clock value the node has
// already read. Sets stopSearch when one is spent.
bool limitReachedAt(SearchContext& ctx, uint32_t now);
