#include "search/tablebase_probe.h"

#include <cstdio>

#include "platform/console.h"
#include "search/score.h"

int probeTablebaseScore(SearchContext& ctx, int ply) {
  if (!ctx.tablebases) return NoTablebaseScore;
  gtb::Answer answer;
  if (!probeTablebase(*ctx.tablebases, ctx.board, answer)) {
    --ctx.tbMaxMen;
    if (!ctx.silent) print("info string tb max men set to %d\n", ctx.tbMaxMen);
    return NoTablebaseScore;
  }
  if (answer.outcome == gtb::Draw) return DrawScore;
  // The mate lies answer.plies beyond this node: score it as the search scores a mate that far.
  const int winner = answer.outcome == gtb::WhiteMates ? White : Black;
  const int matePly = ply + answer.plies;
  return ctx.board.turn() == winner ? mateIn(matePly) : matedIn(matePly);
}
