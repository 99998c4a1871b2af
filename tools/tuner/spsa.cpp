#include "spsa.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>

namespace {

// splitmix64: one 64-bit word of state, written to the file as it is.
uint64_t nextRandom(uint64_t& state) {
  uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

int32_t roundedInRange(double v, const SpsaParam& p) {
  return int32_t(std::clamp(std::lround(v), long(p.min), long(p.max)));
}

// Seventeen significant digits: every double reads back as itself.
std::string exact(double v) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", v);
  return text;
}

bool readDouble(std::istringstream& in, double& out) {
  std::string word;
  if (!(in >> word)) return false;
  char* end = nullptr;
  out = std::strtod(word.c_str(), &end);
  return *end == '\0' && std::isfinite(out);
}

template <typename Int>
bool readInt(std::istringstream& in, Int& out) {
  std::string word;
  if (!(in >> word) || word.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(word.c_str(), &end, 10);
  if (*end != '\0' || errno != 0) return false;
  out = Int(v);
  return (long long)out == v;
}

bool readUnsigned(std::istringstream& in, uint64_t& out) {
  std::string word;
  if (!(in >> word) || word.empty() || word[0] == '-') return false;
  char* end = nullptr;
  errno = 0;
  out = std::strtoull(word.c_str(), &end, 10);
  return *end == '\0' && errno == 0;
}

}  // namespace

double perturbationAt(const SpsaState& s, const SpsaParam& p, int64_t k) {
  return p.c * std::pow(double(s.iterations) / double(k + 1), s.gamma);
}

double learningRateAt(const SpsaState& s, const SpsaParam& p, int64_t k) {
  const double offset = s.stability * double(s.iterations);
  return p.r * std::pow((offset + double(s.iterations)) / (offset + double(k + 1)), s.alpha);
}

std::vector<SpsaStep> drawBatch(const SpsaState& s, int steps) {
  uint64_t random = s.random;
  std::vector<SpsaStep> batch;
  for (int j = 0; j < steps; ++j) {
    SpsaStep step{s.iteration + j, {}, {}, {}, 0, 0};
    for (const SpsaParam& p : s.params) {
      const int d = (nextRandom(random) >> 63) ? 1 : -1;
      const double shift = perturbationAt(s, p, step.iteration) * d;
      step.direction.push_back(d);
      step.plus.push_back(roundedInRange(p.value + shift, p));
      step.minus.push_back(roundedInRange(p.value - shift, p));
    }
    step.opening = nextRandom(random);
    step.randomAfter = random;
    batch.push_back(std::move(step));
  }
  return batch;
}

void applyBatch(SpsaState& s, const std::vector<SpsaStep>& steps, const std::vector<double>& plusScores) {
  for (size_t j = 0; j < steps.size(); ++j) {
    const SpsaStep& step = steps[j];
    for (size_t g = 2 * j; g < 2 * j + 2; ++g) (plusScores[g] == 1 ? s.wins : plusScores[g] == 0 ? s.losses : s.draws)++;
    // The pair's result for the + side, -2 .. 2: both games won moves twice as far as one.
    const double result = 2 * (plusScores[2 * j] + plusScores[2 * j + 1]) - 2;
    for (size_t i = 0; i < s.params.size(); ++i) {
      SpsaParam& p = s.params[i];
      const double c = perturbationAt(s, p, step.iteration);
      p.value += learningRateAt(s, p, step.iteration) * c * result * step.direction[i];
      p.value = std::clamp(p.value, double(p.min), double(p.max));
    }
    s.random = step.randomAfter;
    s.iteration = step.iteration + 1;
  }
}

std::string stateText(const SpsaState& s) {
  std::ostringstream out;
  out << "# velmar-spsa state, rewritten after every batch\n"
      << "iteration " << s.iteration << "\niterations " << s.iterations << "\nalpha " << exact(s.alpha)
      << "\ngamma " << exact(s.gamma) << "\nstability " << exact(s.stability) << "\nrandom " << s.random
      << "\ntc " << s.tc << "\ngames " << s.wins << ' ' << s.draws << ' ' << s.losses << '\n'
      << "# param name value min max c r\n";
  for (const SpsaParam& p : s.params)
    out << "param " << p.name << ' ' << exact(p.value) << ' ' << p.min << ' ' << p.max << ' ' << exact(p.c) << ' '
        << exact(p.r) << '\n';
  if (!s.fixed.empty()) out << "# fixed name value\n";
  for (const auto& [name, value] : s.fixed) out << "fixed " << name << ' ' << value << '\n';
  return out.str();
}

bool parseState(const std::string& text, SpsaState& out, std::string& error) {
  SpsaState s;
  s.params.clear();
  std::istringstream lines(text);
  std::set<std::string> seen, names;
  int number = 0;
  for (std::string line; std::getline(lines, line);) {
    ++number;
    std::istringstream in(line);
    std::string key;
    if (!(in >> key) || key[0] == '#') continue;
    bool ok = false;
    if (key == "param") {
      SpsaParam p;
      ok = bool(in >> p.name) && readDouble(in, p.value) && readInt(in, p.min) && readInt(in, p.max) &&
           readDouble(in, p.c) && readDouble(in, p.r) && p.min <= p.value && p.value <= p.max && p.c > 0 &&
           p.r >= 0 && names.insert(p.name).second;
      s.params.push_back(p);
    } else if (key == "fixed") {
      std::pair<std::string, int32_t> f;
      ok = bool(in >> f.first) && readInt(in, f.second) && names.insert(f.first).second;
      s.fixed.push_back(f);
    } else if (!seen.insert(key).second) {
      ok = false;
    } else if (key == "iteration") {
      ok = readInt(in, s.iteration) && s.iteration >= 0;
    } else if (key == "iterations") {
      ok = readInt(in, s.iterations) && s.iterations >= 1;
    } else if (key == "alpha") {
      ok = readDouble(in, s.alpha) && s.alpha >= 0;
    } else if (key == "gamma") {
      ok = readDouble(in, s.gamma) && s.gamma >= 0;
    } else if (key == "stability") {
      ok = readDouble(in, s.stability) && s.stability >= 0;
    } else if (key == "random") {
      ok = readUnsigned(in, s.random);
    } else if (key == "tc") {
      ok = bool(in >> s.tc);
    } else if (key == "games") {
      ok = readInt(in, s.wins) && readInt(in, s.draws) && readInt(in, s.losses) && s.wins >= 0 && s.draws >= 0 &&
           s.losses >= 0;
    }
    std::string rest;
    if (!ok || in >> rest) return error = "line " + std::to_string(number) + ": " + line, false;
  }
  if (s.params.empty()) return error = "no parameter", false;
  out = s;
  return true;
}

SpsaParam startingParam(const std::string& name, int32_t value, int32_t min, int32_t max, double r) {
  auto ends = [&](const char* suffix) {
    const std::string t = suffix;
    return name.size() >= t.size() && name.compare(name.size() - t.size(), t.size(), t) == 0;
  };
  // About a tenth of the value, at least what a game can tell apart: weights of a king-zone
  // square and the passer's advance factor are small numbers that each count many times.
  double c;
  if (name.rfind("LMRMoves", 0) == 0) c = std::max(1.0, value / 8.0);
  else if (name.find("AttackWeight") != std::string::npos || name.find("Scale") != std::string::npos) c = 2;
  else if (ends("Percent")) c = 10;
  else if (ends("MP")) c = std::clamp(value * 0.15, 8.0, 60.0);
  else c = std::clamp(value * 0.05, 5.0, 20.0);  // centipawns: piece values and margins
  return SpsaParam{name, double(value), min, max, c, r};
}
