#include "tuning.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "board/board.h"
#include "board/history.h"
#include "board/oldboard.h"
#include "eval/evaluator.h"
#include "search/clock.h"
#include "search/score.h"
#include "search/search.h"

std::vector<Param*> tunableParams() {
  constexpr std::string_view untouched[] = {"MobilityPercent", "PawnAttackWeightMP"};
  std::vector<Param*> out;
  for (Param* p : allParams()) {
    // The evaluation's come first; LazyEvalMarginCP is the last of them, the search's follow.
    if (p->name == "LazyEvalMarginCP") break;
    if (std::find(std::begin(untouched), std::end(untouched), p->name) == std::end(untouched)) out.push_back(p);
  }
  return out;
}

EvaluationError::EvaluationError(std::vector<TrainingPosition> positions)
    : positions_(std::move(positions)), ctx_(std::make_unique<SearchContext>()) {
  ctx_->silent = true;
}

EvaluationError::~EvaluationError() = default;

int EvaluationError::whiteScore(const TrainingPosition& p, bool& whiteToMove) {
  SearchContext& ctx = *ctx_;
  // Parsed again for every measurement: the board counts its material in the piece values.
  OldBoard ob;
  resetOldBoard(ob);
  int side = White;
  if (!parseFen(ob, p.fen.c_str(), &side, nullptr)) return 0;
  boardFromOld(ctx.board, ob, side);
  historyClear(ctx.history);
  historyPush(ctx.history, ctx.board.hash, true);
  ctx.stopSearch = false;
  ctx.nodeBudget = 0;
  const int score = quiesce(ctx, 0, 0, -MateValue, MateValue);
  whiteToMove = side == White;
  return whiteToMove ? score : -score;
}

double EvaluationError::operator()(double k) {
  SearchContext& ctx = *ctx_;
  // Nothing cached under other parameters may answer: a fresh evaluator, an empty table.
  ctx.evaluator = std::make_unique<BitEval>();
  ctx.tt.clear();
  resetClockCountdown();
  ctx.startTime = ctx.lastInfoTime = tickNow();
  ctx.deadline = ctx.startTime + 0x3FFFFFFF;
  const auto expected = [k](int whiteScore) { return 1 / (1 + std::pow(10.0, -k * whiteScore / 4000)); };
  double sum = 0;
  for (const TrainingPosition& p : positions_) {
    bool whiteToMove = true;
    const double predicted = expected(whiteScore(p, whiteToMove));
    double target = p.result;
    if (p.score && resultWeight < 1)
      target = resultWeight * p.result + (1 - resultWeight) * expected(whiteToMove ? *p.score : -*p.score);
    const double e = target - predicted;
    sum += e * e;
  }
  return positions_.empty() ? 0 : sum / double(positions_.size());
}

double fitScale(EvaluationError& error) {
  // The error is smooth and has one minimum in k: a golden-section search over (0, 64].
  double lo = 0.01, hi = 64;
  const double g = (std::sqrt(5.0) - 1) / 2;
  double a = hi - g * (hi - lo), b = lo + g * (hi - lo);
  double ea = error(a), eb = error(b);
  for (int i = 0; i < 40; ++i) {
    if (ea < eb) {
      hi = b, b = a, eb = ea;
      a = hi - g * (hi - lo), ea = error(a);
    } else {
      lo = a, a = b, ea = eb;
      b = lo + g * (hi - lo), eb = error(b);
    }
  }
  return (lo + hi) / 2;
}

bool nudge(Param& p, int delta) {
  const int32_t before = getParam(p);
  setParam(p, int64_t(before) + delta);
  return getParam(p) != before;
}

double tune(EvaluationError& error, double k, const std::vector<Param*>& params, const TuneSettings& settings) {
  // Each parameter keeps its own step and the way it last moved. A move that lowers the error
  // doubles the step, up to half the default (at least 8), so a weight far from its best gets
  // there in a few passes; a parameter that moves neither way halves its step.
  std::vector<int> steps, limits, ways(params.size(), 1);
  for (const Param* p : params) {
    steps.push_back(std::max(1, std::abs(p->defaultValue) / 8));
    limits.push_back(std::max(8, std::abs(p->defaultValue) / 2));
  }
  double best = error(k);
  for (int pass = 0; pass < settings.passes; ++pass) {
    // Judged before the pass halves any step: a parameter that just came down to 1 gets its try.
    const bool finest = std::all_of(steps.begin(), steps.end(), [](int s) { return s == 1; });
    int changed = 0;
    for (size_t i = 0; i < params.size(); ++i) {
      Param& p = *params[i];
      const int32_t before = getParam(p);
      bool moved = false;
      // The way it went last is tried first: a weight on its way usually keeps going.
      for (const int way : {ways[i], -ways[i]}) {
        if (!nudge(p, way * steps[i])) continue;
        const double e = error(k);
        if (e < best) {
          best = e;
          ways[i] = way;
          moved = true;
          break;
        }
        setParam(p, before);
      }
      if (moved) {
        ++changed;
        steps[i] = std::min(2 * steps[i], limits[i]);
      } else {
        steps[i] = std::max(1, steps[i] / 2);
      }
    }
    if (settings.afterPass && !settings.afterPass(pass + 1, best, changed)) break;
    if (changed == 0 && finest) break;
  }
  return best;
}
