#include "search/search_params.h"

#include "eval/params.h"

int32_t futilityMargins[5] = {0, 100, 150, 200, 250};

namespace param {
int32_t DeltaMarginCP = 50;
int32_t RazorMarginCP = 325;
int32_t LMRMovesPV = 15;
int32_t LMRMovesNonPV = 4;
}  // namespace param

void registerSearchParams() {
  registerParam("DeltaMarginCP", param::DeltaMarginCP, 0, 2000);
  registerParam("FutilityMargin1CP", futilityMargins[1], 0, 2000);
  registerParam("FutilityMargin2CP", futilityMargins[2], 0, 2000);
  registerParam("FutilityMargin3CP", futilityMargins[3], 0, 2000);
  registerParam("FutilityMargin4CP", futilityMargins[4], 0, 2000);
  registerParam("RazorMarginCP", param::RazorMarginCP, 0, 2000);
  registerParam("LMRMovesPV", param::LMRMovesPV, 0, 256);
  registerParam("LMRMovesNonPV", param::LMRMovesNonPV, 0, 256);
}
