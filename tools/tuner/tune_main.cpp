// velmar-tune: fits the evaluation's parameters to training positions from velmar-selfplay and
// writes them as a personality file (the format "savepers" writes, all parameters).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "eval/personality.h"
#include "frontend/startup.h"
#include "tuning.h"

namespace {

const char* usage =
    "usage: velmar-tune DATA [--positions N] [--start FILE] [--output FILE] [--passes N]\n"
    "  --positions N  the first N positions of DATA (default all)\n"
    "  --start FILE   start from this personality instead of the defaults\n"
    "  --output FILE  where the tuned personality goes (default tuned.txt), rewritten after every pass\n"
    "  --passes N     passes over the parameters at most (default 1000)\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argv[1][0] == '-') {
    std::fputs(usage, stderr);
    return 2;
  }
  std::string data = argv[1], start, output = "tuned.txt";
  size_t limit = SIZE_MAX;
  int passes = 1000;
  for (int i = 2; i < argc; ++i) {
    const std::string flag = argv[i];
    const std::string value = i + 1 < argc ? argv[++i] : "";
    if (flag == "--positions" && std::atol(value.c_str()) > 0) limit = size_t(std::atol(value.c_str()));
    else if (flag == "--start" && !value.empty()) start = value;
    else if (flag == "--output" && !value.empty()) output = value;
    else if (flag == "--passes" && std::atoi(value.c_str()) > 0) passes = std::atoi(value.c_str());
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
  EvaluationError error(std::move(positions));
  const double k = fitScale(error);
  std::printf("scale %.4f, error %.8f\n", k, error(k));
  TuneSettings settings;
  settings.passes = passes;
  settings.report = [&](const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    if (!savePersonality(output.c_str())) std::fprintf(stderr, "cannot write %s\n", output.c_str());
  };
  const double reached = tune(error, k, tunableParams(), settings);
  if (!savePersonality(output.c_str())) {
    std::fprintf(stderr, "cannot write %s\n", output.c_str());
    return 1;
  }
  std::printf("error %.8f; personality written to %s\n", reached, output.c_str());
  return 0;
}
