#include "search/context.h"

SearchContext::SearchContext() : evaluator(std::make_unique<BitEval>()) {
  for (int i = 0; i < MaxMultiPv; ++i) slotOrder[i] = i;
  tt.resize(4);
  resetPosition(*this);
}

void resetPosition(SearchContext& ctx) {
  resetBoard(ctx.board);
  resetOldBoard(ctx.old);
  ctx.oldSide = White;
  historyClear(ctx.history);
}
