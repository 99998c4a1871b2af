// Search margins that are named parameters, tunable like the evaluation's.
#pragma once

#include <cstdint>

// Futility margins by remaining depth 0..4 (centipawns); entry 0 is fixed at 0.
extern int32_t futilityMargins[5];

namespace param {
extern int32_t DeltaMarginCP;
extern int32_t RazorMarginCP;
extern int32_t LMRMovesPV;
extern int32_t LMRMovesNonPV;
}  // namespace param

// Registers them after the evaluation's parameters, in their saved order.
void registerSearchParams();
