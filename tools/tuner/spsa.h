// Tuning parameters by play: simultaneous perturbation stochastic approximation. Each step
// moves every parameter at once by +c and by -c along a random +-1 direction, plays a pair of
// games (one opening, colours swapped) between the two vectors, and moves every parameter along
// the direction by how much the + side won. The whole state is a small text file, so that a run
// stopped anywhere goes on from its last batch, here or on another machine.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct SpsaParam {
  std::string name;
  double value;  // the estimate, kept inside [min, max]
  int32_t min, max;
  double c;  // perturbation at the run's last planned step
  double r;  // learning rate at the last planned step: a step moves a parameter by about r * c per game won
};

struct SpsaState {
  int64_t iteration = 0;      // steps taken
  int64_t iterations = 6000;  // steps planned: the schedules of c and r reach their end values there
  double alpha = 0.602;       // decay of the learning rate
  double gamma = 0.101;       // decay of the perturbation
  double stability = 0.1;     // the learning rate's offset, as a share of the planned steps
  uint64_t random = 1;        // generator state
  std::string tc = "1+0.01";  // the games' time control
  int64_t wins = 0, draws = 0, losses = 0;  // the + side's games so far
  std::vector<SpsaParam> params;
  // Parameters not tuned that the start personality set away from their defaults: both sides
  // play with them, and the personality written keeps them.
  std::vector<std::pair<std::string, int32_t>> fixed;
};

// One step's two vectors, already rounded and clamped, and its opening.
struct SpsaStep {
  int64_t iteration;
  std::vector<int> direction;  // +1 or -1 per parameter
  std::vector<int32_t> plus, minus;
  uint64_t opening;  // a draw to pick the opening by, modulo the number of openings
  uint64_t randomAfter;  // the generator once this step is drawn
};

// The next batch of steps, all from the estimate as it stands; the state is not changed.
std::vector<SpsaStep> drawBatch(const SpsaState& s, int steps);
// Applies the batch in order: plusScores[2i] and [2i+1] are the + side's points (0, 0.5 or 1) in
// step i's two games.
void applyBatch(SpsaState& s, const std::vector<SpsaStep>& steps, const std::vector<double>& plusScores);

// The schedules at step k (0-based).
double perturbationAt(const SpsaState& s, const SpsaParam& p, int64_t k);
double learningRateAt(const SpsaState& s, const SpsaParam& p, int64_t k);

// The text that saving writes; reading it back gives the same state, and the same text again.
std::string stateText(const SpsaState& s);
// False with a one-line reason when the text is not a state.
bool parseState(const std::string& text, SpsaState& s, std::string& error);

// A starting step size for a parameter of this name, default and range.
SpsaParam startingParam(const std::string& name, int32_t value, int32_t min, int32_t max, double r);
