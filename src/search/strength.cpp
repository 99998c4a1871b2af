#include "search/strength.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

// Calibrated by tools/calibrate-strength.sh: each row's settings play even with the outside
// engine at that Elo, at 10 s + 0.1 s. A weak player sees little (few nodes, shallow), misjudges
// (noise) and picks among moves that look about as good (margin); the top row is velmar itself.
constexpr StrengthLevel calibrated[] = {
    // elo, nodes, depth, margin, noise
    {1350, 1000, 6, 80, 20},
    {1400, 1300, 6, 75, 18},
    {1700, 4500, 9, 40, 10},
    {2000, 150000, 30, 0, 5},
    {MaxStrengthElo, 0, 60, 0, 0},
};
static_assert(calibrated[0].elo == MinStrengthElo && std::end(calibrated)[-1].elo == MaxStrengthElo);

int linear(int a, int b, double t) { return int(std::lround(a + (b - a) * t)); }

}  // namespace

StrengthLevel strengthAt(int elo) {
  elo = std::clamp(elo, MinStrengthElo, MaxStrengthElo);
  const StrengthLevel* hi = std::lower_bound(std::begin(calibrated), std::end(calibrated), elo,
                                             [](const StrengthLevel& row, int e) { return row.elo < e; });
  if (hi->elo == elo || hi == std::begin(calibrated)) return {elo, hi->nodes, hi->depth, hi->marginCp, hi->noiseCp};
  const StrengthLevel& lo = hi[-1];
  const double t = double(elo - lo.elo) / double(hi->elo - lo.elo);
  // An unlimited row is approached as if its budget were a few times the row below it.
  const double top = hi->nodes ? hi->nodes : 8.0 * lo.nodes;
  const int nodes = int(std::lround(lo.nodes * std::pow(top / lo.nodes, t)));
  return {elo, nodes, linear(lo.depth, hi->depth, t), linear(lo.marginCp, hi->marginCp, t),
          linear(lo.noiseCp, hi->noiseCp, t)};
}

void limitStrength(SearchLimits& limits, int elo, uint32_t seed) {
  const StrengthLevel level = strengthAt(elo);
  if (level.nodes > 0) limits.nodes = limits.nodes > 0 ? std::min(limits.nodes, level.nodes) : level.nodes;
  limits.depth = std::min(limits.depth, level.depth);
  limits.weakening = {level.marginCp, level.noiseCp, seed, true};
}
