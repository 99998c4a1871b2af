// Fitting the evaluation's parameters to training positions: the quiescence score of each
// position, mapped to an expected result by a logistic curve, against the result of its game.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "eval/params.h"
#include "search/context.h"
#include "training_data.h"

// The parameters worth tuning: the evaluation's, less those that cannot move the error
// (MobilityPercent is read once, when the mobility tables are built; PawnAttackWeightMP by no
// term; LazyEvalMarginCP only decides when a full evaluation may be skipped).
std::vector<Param*> tunableParams();

class EvaluationError {
 public:
  explicit EvaluationError(std::vector<TrainingPosition> positions);
  ~EvaluationError();
  // The mean of (target - 1 / (1 + 10^(-k * score / 4000)))^2 over the positions, the score the
  // quiescence search's from White's view with the parameters as they stand. The target is the
  // game's result; for a position whose game recorded its search's score, the result weighted
  // by resultWeight and the score, mapped by the same curve, by the rest.
  double operator()(double k);
  // One game's result is a noisy verdict on each of its positions; the searched score is a
  // steadier one, but only as good as the search and evaluation that made it.
  double resultWeight = 1;
  size_t size() const { return positions_.size(); }

 private:
  // The quiescence score from White's view; whiteToMove says whose turn the position is.
  int whiteScore(const TrainingPosition& p, bool& whiteToMove);

  std::vector<TrainingPosition> positions_;
  std::unique_ptr<SearchContext> ctx_;
};

// The scale k under which the positions' scores fit their results best.
double fitScale(EvaluationError& error);

// Moves the parameter by delta, inside its range; false when it cannot move that way at all.
bool nudge(Param& p, int delta);

struct TuneSettings {
  int passes = 1000;  // over all parameters, at most
  // Called after every pass with its number, the error reached and how many parameters moved;
  // the tuning stops when it returns false.
  std::function<bool(int pass, double error, int moved)> afterPass;
};

// Coordinate descent: each parameter in turn moves one step up or down when that lowers the
// error, its step doubling while it moves and halving while it cannot; once every step is 1 and
// a pass moves nothing the parameters stay. Returns the error reached.
double tune(EvaluationError& error, double k, const std::vector<Param*>& params, const TuneSettings& settings);
