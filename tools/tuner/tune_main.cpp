// velmar-tune: fits the evaluation's parameters to training positions from velmar-selfplay and
// writes them as a personality file (the format "savepers" writes, all parameters).
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "eval/personality.h"
#include "frontend/startup.h"
#include "tuning.h"

namespace {

const char* usage =
    "usage: velmar-tune DATA [--positions N] [--start FILE] [--output FILE] [--passes N] [--scale K]\n"
    "                   [--validate FILE] [--result-weight W]\n"
    "  --positions N  the first N positions of DATA (default all)\n"
    "  --start FILE   start from this personality instead of the defaults\n"
    "  --output FILE  where the tuned personality goes (default tuned.txt), rewritten after every\n"
    "                 pass (with --validate, after every pass that predicts the other games better)\n"
    "  --passes N     passes over the parameters at most (default 1000; 0 only measures the error)\n"
    "  --scale K      the logistic scale (default: the one that fits DATA best before tuning)\n"
    "  --validate FILE  positions from other games: the personality written is the one that\n"
    "                 predicts them best, and tuning stops once three passes have not improved it\n"
    "  --result-weight W  0..1: the target is W times the game's result plus 1 - W times the\n"
    "                 recorded search score as an expected result (default 1: the result alone)\n";

// A whole number or a finite real and nothing else after it; false for anything less.
bool wholeNumber(const std::string& text, long& out) {
  char* end = nullptr;
  out = std::strtol(text.c_str(), &end, 10);
  return !text.empty() && *end == '\0';
}

bool realNumber(const std::string& text, double& out) {
  char* end = nullptr;
  out = std::strtod(text.c_str(), &end);
  return !text.empty() && *end == '\0' && std::isfinite(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argv[1][0] == '-') {
    std::fputs(usage, stderr);
    return 2;
  }
  std::string data = argv[1], start, output = "tuned.txt", validate;
  size_t limit = SIZE_MAX;
  int passes = 1000;
  double scale = 0, resultWeight = 1;
  for (int i = 2; i < argc; ++i) {
    const std::string flag = argv[i];
    const std::string value = i + 1 < argc ? argv[++i] : "";
    long whole = 0;
    double real = 0;
    if (flag == "--positions" && wholeNumber(value, whole) && whole > 0) limit = size_t(whole);
    else if (flag == "--start" && !value.empty()) start = value;
    else if (flag == "--output" && !value.empty()) output = value;
    else if (flag == "--passes" && wholeNumber(value, whole) && whole >= 0 && whole <= 1000000) passes = int(whole);
    else if (flag == "--result-weight" && realNumber(value, real) && real >= 0 && real <= 1) resultWeight = real;
    else if (flag == "--validate" && !value.empty()) validate = value;
    else if (flag == "--scale" && realNumber(value, real) && real > 0) scale = real;
    else {
      std::fprintf(stderr, "bad option %s %s\n%s", flag.c_str(), value.c_str(), usage);
      return 2;
    }
  }

  initEngineTables();
  if (!start.empty() && !loadPersonality(start.c_str())) {
    std::fprintf(stderr, "cannot read personality %s\n", start.c_str());
    return 1;
  }
  size_t skipped = 0;
  std::vector<TrainingPosition> positions = loadTrainingData(data, limit, &skipped);
  if (positions.empty()) {
    std::fprintf(stderr, "no training positions in %s\n", data.c_str());
    return 1;
  }
  std::printf("%zu positions (%zu lines passed over)\n", positions.size(), skipped);
  std::unique_ptr<EvaluationError> heldOut;
  if (!validate.empty()) {
    std::vector<TrainingPosition> other = loadTrainingData(validate, SIZE_MAX, &skipped);
    if (other.empty()) {
      std::fprintf(stderr, "no training positions in %s\n", validate.c_str());
      return 1;
    }
    std::printf("%zu positions to validate on (%zu lines passed over)\n", other.size(), skipped);
    heldOut = std::make_unique<EvaluationError>(std::move(other));
  }
  EvaluationError error(std::move(positions));
  const double k = scale > 0 ? scale : fitScale(error);
  // The scale is fitted to the results alone: against targets made by its own curve the error
  // would only fall as the scale shrank towards nothing.
  error.resultWeight = resultWeight;
  if (heldOut) heldOut->resultWeight = resultWeight;
  std::printf("scale %.4f, error %.8f\n", k, error(k));
  // Positions of one game share its result: with too few games the error falls by learning them,
  // which positions of other games show as their error rising.
  double bestHeldOut = heldOut ? (*heldOut)(k) : 0;
  int bestPass = 0;
  if (heldOut) std::printf("held-out error %.8f\n", bestHeldOut);
  if (passes == 0) return 0;
  // Each pass worth keeping is written at once, so a long run stopped early leaves its best.
  const auto save = [&output] {
    const bool ok = savePersonality(output.c_str());
    if (!ok) std::fprintf(stderr, "cannot write %s\n", output.c_str());
    return ok;
  };
  // With positions to validate on, the file always holds the best personality so far: at first,
  // the one tuning starts from.
  bool written = heldOut && save();
  TuneSettings settings;
  settings.passes = passes;
  settings.afterPass = [&](int pass, double reached, int moved) {
    std::printf("pass %d: error %.8f, %d parameters moved", pass, reached, moved);
    bool better = true;
    if (heldOut) {
      const double e = (*heldOut)(k);
      better = e < bestHeldOut;
      if (better) bestHeldOut = e, bestPass = pass;
      std::printf(", held-out error %.8f%s", e, better ? "" : " (no better)");
    }
    std::printf("\n");
    std::fflush(stdout);
    if (better) written = save();
    return !heldOut || pass - bestPass < 3;
  };
  const double reached = tune(error, k, tunableParams(), settings);
  if (!written) return 1;
  if (heldOut)
    std::printf("error %.8f; the personality of pass %d (held-out error %.8f) written to %s\n", reached, bestPass,
                bestHeldOut, output.c_str());
  else
    std::printf("error %.8f; personality written to %s\n", reached, output.c_str());
  return 0;
}
