// velmar-spsa: tunes velmar's parameters by play (see spsa.h). The games are the referee's,
// between two copies of the engine started with the step's two vectors on their command lines.
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

#include "eval/params.h"
#include "eval/personality.h"
#include "frontend/startup.h"
#include "referee/game.h"
#include "platform/regular_file.h"
#include "platform/replace_file.h"
#include "spsa.h"

namespace {

const char* usage =
    "usage: velmar-spsa --state FILE --init [--params all|NAME,NAME...] [--start PERSONALITY]\n"
    "                   [--tc TC] [--iterations N] [--rate R] [--seed S]\n"
    "       velmar-spsa --state FILE --engine CMD [--openings FILE] [--steps N] [--batch K]\n"
    "                   [--concurrency C] [--personality OUT]\n"
    "       velmar-spsa --state FILE --personality OUT\n"
    "  --init          a new state from the engine's defaults (or --start), every parameter a term\n"
    "                  reads (--params all, the default) or the ones named\n"
    "  --tc TC         the games' clock, as the referee takes it (default 1+0.01)\n"
    "  --iterations N  steps planned: the step sizes shrink to their end values there (default 6000)\n"
    "  --rate R        the learning rate at the end, for every parameter (default 0.005)\n"
    "  --engine CMD    the engine to play; with --steps N (default: until the planned steps are\n"
    "                  done) that many steps are played, K at a time (default 2) from one estimate,\n"
    "                  C games at once (default 2); the state is rewritten after every batch\n"
    "  --personality OUT  the estimate as a personality file, after every batch or at once\n";

struct Config {
  std::string statePath, engine, openingsFile = "tools/referee/openings.txt", personality, start, params = "all";
  std::string tc = "1+0.01";
  bool init = false;
  int64_t iterations = 6000, steps = -1, seed = 1;
  double rate = 0.005;
  int batch = 2, concurrency = 2;
};

bool parseArgs(int argc, char** argv, Config& c) {
  for (int i = 1; i < argc; ++i) {
    const std::string flag = argv[i];
    if (flag == "--init") {
      c.init = true;
      continue;
    }
    if (i + 1 >= argc) return false;
    const std::string value = argv[++i];
    char* end = nullptr;
    const long long n = std::strtoll(value.c_str(), &end, 10);
    const bool whole = !value.empty() && *end == '\0' && n >= 0;
    if (flag == "--state") c.statePath = value;
    else if (flag == "--engine") c.engine = value;
    else if (flag == "--openings") c.openingsFile = value;
    else if (flag == "--personality") c.personality = value;
    else if (flag == "--start") c.start = value;
    else if (flag == "--params") c.params = value;
    else if (flag == "--tc") c.tc = value;
    else if (flag == "--iterations" && whole && n >= 1) c.iterations = n;
    else if (flag == "--steps" && whole) c.steps = n;
    else if (flag == "--seed" && whole) c.seed = n;
    else if (flag == "--batch" && whole && n >= 1 && n <= 64) c.batch = int(n);
    else if (flag == "--concurrency" && whole && n >= 1 && n <= 64) c.concurrency = int(n);
    else if (flag == "--rate") {
      c.rate = std::strtod(value.c_str(), &end);
      if (*end != '\0' || !(c.rate >= 0)) return false;
    } else return false;
  }
  return !c.statePath.empty();
}

// The parameters an evaluation or search term reads: MobilityPercent takes effect only in the
// tables built at start-up, PawnAttackWeightMP nowhere, so play cannot tell their values apart.
bool playable(const Param& p) { return p.name != "MobilityPercent" && p.name != "PawnAttackWeightMP"; }

bool initState(const Config& c, SpsaState& s, std::string& error) {
  if (!c.start.empty() && !loadPersonality(c.start.c_str())) return error = "cannot read " + c.start, false;
  TimeControl tc;
  if (!parseTimeControl(c.tc, tc)) return error = "bad time control " + c.tc, false;
  s.tc = c.tc;
  s.iterations = c.iterations;
  s.random = uint64_t(c.seed);
  const bool all = c.params == "all";
  std::set<std::string> named;
  std::istringstream list(c.params);
  for (std::string name; std::getline(list, name, ',');) named.insert(name);
  for (const Param* p : allParams())
    if (all ? playable(*p) : named.erase(p->name) == 1)
      s.params.push_back(startingParam(p->name, getParam(*p), p->min, p->max, c.rate));
    else if (getParam(*p) != p->defaultValue)
      s.fixed.emplace_back(p->name, getParam(*p));
  if (!all && !named.empty()) return error = "no such parameter: " + *named.begin(), false;
  return true;
}

bool writePersonality(const SpsaState& s, const std::string& path) {
  resetAllParams();
  for (const auto& [name, value] : s.fixed)
    if (Param* p = findParam(name)) setParam(*p, value);
  for (const SpsaParam& sp : s.params)
    if (Param* p = findParam(sp.name)) setParam(*p, std::lround(sp.value));
  return savePersonality(path.c_str());
}

EngineSetup setupFor(const Config& c, const SpsaState& s, const std::vector<int32_t>& values, const char* label) {
  EngineSetup e{label, splitCommand(c.engine), {"OwnBook=false"}};
  for (const auto& [name, value] : s.fixed) {
    e.argv.push_back("-" + name);
    e.argv.push_back(std::to_string(value));
  }
  for (size_t i = 0; i < s.params.size(); ++i) {
    e.argv.push_back("-" + s.params[i].name);
    e.argv.push_back(std::to_string(values[i]));
  }
  return e;
}

// Plays the batch's games, C at a time; the + side's points in each, or false on a failure to run.
bool playBatch(const Config& c, const SpsaState& s, const std::vector<SpsaStep>& batch,
               const std::vector<std::vector<std::string>>& openings, std::vector<double>& scores, Tally& faults,
               std::string& error) {
  TimeControl tc;
  parseTimeControl(s.tc, tc);
  const RunSettings run;
  std::vector<EngineSetup> setups;
  for (const SpsaStep& step : batch) {
    setups.push_back(setupFor(c, s, step.plus, "A"));
    setups.push_back(setupFor(c, s, step.minus, "B"));
  }
  scores.assign(2 * batch.size(), 0.5);
  std::atomic<int> next{0};
  std::mutex m;
  bool failed = false;
  auto worker = [&] {
    for (int g; (g = next++) < int(scores.size());) {
      const size_t j = size_t(g / 2);
      Engine plus, minus;
      plus.setup = &setups[2 * j];
      minus.setup = &setups[2 * j + 1];
      try {
        int protocol = 0;
        startEngine(plus, run, protocol);
        startEngine(minus, run, protocol);
        const GameRecord r = playGame(plus, minus, g % 2 == 0, openings[batch[j].opening % openings.size()], tc, run,
                                      int(batch[j].iteration));
        std::lock_guard<std::mutex> lock(m);
        scores[size_t(g)] = r.scoreA;
        faults.add(r.tally);
        faults.protocol += protocol;
      } catch (const std::exception& e) {
        std::lock_guard<std::mutex> lock(m);
        failed = true;
        error = e.what();
      }
      stopEngine(plus);
      stopEngine(minus);
    }
  };
  std::vector<std::thread> threads;
  for (int i = 0; i < std::min<int>(c.concurrency, int(scores.size())); ++i) threads.emplace_back(worker);
  for (std::thread& t : threads) t.join();
  return !failed;
}

int run(const Config& c) {
  SpsaState s;
  std::string text, error;
  if (c.init) {
    if (!initState(c, s, error)) return std::fprintf(stderr, "velmar-spsa: %s\n", error.c_str()), 2;
    if (!replaceFile(c.statePath, stateText(s))) return std::fprintf(stderr, "velmar-spsa: cannot write %s\n", c.statePath.c_str()), 1;
    std::printf("%zu parameters, %lld steps planned, games at %s\n", s.params.size(), (long long)s.iterations, s.tc.c_str());
    return 0;
  }
  if (!readRegularFile(c.statePath.c_str(), 1 << 20, text) || !parseState(text, s, error))
    return std::fprintf(stderr, "velmar-spsa: %s: %s\n", c.statePath.c_str(), error.empty() ? "cannot read" : error.c_str()), 1;
  for (const SpsaParam& p : s.params)
    if (!findParam(p.name)) return std::fprintf(stderr, "velmar-spsa: no parameter %s\n", p.name.c_str()), 1;
  TimeControl tc;
  if (!parseTimeControl(s.tc, tc)) return std::fprintf(stderr, "velmar-spsa: bad time control %s\n", s.tc.c_str()), 1;
  if (c.engine.empty()) {
    if (c.personality.empty()) return std::fputs(usage, stderr), 2;
    return writePersonality(s, c.personality) ? 0 : 1;
  }
  std::vector<std::vector<std::string>> openings;
  if (!readOpenings(c.openingsFile, openings, error)) return std::fprintf(stderr, "velmar-spsa: %s\n", error.c_str()), 2;

  const int64_t last = c.steps >= 0 ? s.iteration + c.steps : s.iterations;
  Tally faults;
  while (s.iteration < last) {
    const std::vector<SpsaStep> batch = drawBatch(s, int(std::min<int64_t>(c.batch, last - s.iteration)));
    std::vector<double> scores;
    if (!playBatch(c, s, batch, openings, scores, faults, error))
      return std::fprintf(stderr, "velmar-spsa: %s\n", error.c_str()), 1;
    applyBatch(s, batch, scores);
    if (!replaceFile(c.statePath, stateText(s)))
      return std::fprintf(stderr, "velmar-spsa: cannot write %s\n", c.statePath.c_str()), 1;
    if (!c.personality.empty() && !writePersonality(s, c.personality))
      return std::fprintf(stderr, "velmar-spsa: cannot write %s\n", c.personality.c_str()), 1;
    std::printf("step %lld: + side +%lld =%lld -%lld; flags %d, hangs %d, crashes %d, illegal %d, protocol %d\n",
                (long long)s.iteration, (long long)s.wins, (long long)s.draws, (long long)s.losses, faults.flags,
                faults.hangs, faults.crashes, faults.illegal, faults.protocol);
    std::fflush(stdout);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Config c;
  if (!parseArgs(argc, argv, c)) return std::fputs(usage, stderr), 2;
  signal(SIGPIPE, SIG_IGN);  // a dead engine's pipe must fail a write, not end the tuner
  initEngineTables();
  return run(c);
}
