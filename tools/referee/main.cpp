// velmar-referee: plays engines against each other under clocks and checks everything they say.
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "board/chess960.h"
#include "frontend/startup.h"
#include "game.h"

namespace {

const char* usage =
    "usage: velmar-referee --engine CMD [options]\n"
    "  --engine CMD        engine command for both sides (arguments allowed, quoted as in a shell)\n"
    "  --engine-a CMD      engine A (default: --engine); --engine-b CMD likewise\n"
    "  --option NAME=VALUE setoption for both engines (NAME may hold spaces); --option-a, --option-b\n"
    "  --tc TC             BASE[+INC] or MOVES/BASE[+INC] in seconds, e.g. 0.2+0.01 or 40/4;\n"
    "                      may be repeated, each is played for --games games (default 0.2+0.01)\n"
    "  --games N           games per time control (default 10); colours alternate per opening\n"
    "  --seed S            seed of the random openings (default: from the time, printed)\n"
    "  --openings FILE     opening lines, one line of UCI moves each, instead of random 2-6 plies\n"
    "  --ponder            let the engines ponder\n"
    "  --load N            run N processes that only burn CPU during the games\n"
    "  --concurrency C     games played at once (default 1)\n"
    "  --pgn FILE          append the games to FILE\n"
    "  --cwd DIR           working directory of the engines\n"
    "  --grace-ms MS       beyond its clock before a silent engine counts as hung (default 5000)\n"
    "  --max-plies N       a game this long is drawn (default 400)\n"
    "  --trace             every line sent and received, timed, on standard error\n"
    "  --chess960          Chess960 games (UCI_Chess960 set on both engines) from random start\n"
    "                      positions by the seed, colours alternating per start; no openings file\n"
    "exit status: 0, or 3 when an engine lost on time, hung, crashed, played an illegal move or\n"
    "broke the protocol; 1 or 2 when the referee itself could not run\n";

struct Config {
  std::string engine, engineA, engineB;
  std::vector<std::string> options, optionsA, optionsB;
  std::vector<TimeControl> tcs;
  int games = 10;
  uint64_t seed = 0;
  bool seedGiven = false;
  std::string openingsFile, pgnFile;
  int load = 0, concurrency = 1;
  RunSettings run;
};

bool wholeNumber(const std::string& text, long long min, long long max, long long& out) {
  char* end = nullptr;
  out = std::strtoll(text.c_str(), &end, 10);
  return !text.empty() && *end == '\0' && out >= min && out <= max;
}

bool parseArgs(int argc, char** argv, Config& c, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string flag = argv[i];
    if (flag == "--ponder") {
      c.run.ponder = true;
      continue;
    }
    if (flag == "--trace") {
      traceLines = true;
      continue;
    }
    if (flag == "--chess960") {
      chess960 = true;
      continue;
    }
    if (flag == "--help" || flag == "-h") return error.clear(), false;
    if (i + 1 >= argc) return error = "missing value after " + flag, false;
    const std::string value = argv[++i];
    long long n = 0;
    auto number = [&](long long min, long long max) {
      if (!wholeNumber(value, min, max, n)) throw std::invalid_argument("bad number after " + flag + ": " + value);
      return n;
    };
    try {
      if (flag == "--engine") c.engine = value;
      else if (flag == "--engine-a") c.engineA = value;
      else if (flag == "--engine-b") c.engineB = value;
      else if (flag == "--option") c.options.push_back(value);
      else if (flag == "--option-a") c.optionsA.push_back(value);
      else if (flag == "--option-b") c.optionsB.push_back(value);
      else if (flag == "--games") c.games = int(number(1, 1000000));
      else if (flag == "--seed") c.seed = uint64_t(number(0, INT64_MAX)), c.seedGiven = true;
      else if (flag == "--openings") c.openingsFile = value;
      else if (flag == "--load") c.load = int(number(0, 64));
      else if (flag == "--concurrency") c.concurrency = int(number(1, 64));
      else if (flag == "--pgn") c.pgnFile = value;
      else if (flag == "--cwd") c.run.cwd = value;
      else if (flag == "--grace-ms") c.run.graceMs = number(0, 3600000);
      else if (flag == "--max-plies") c.run.maxPlies = int(number(1, 100000));
      else if (flag == "--tc") {
        TimeControl tc;
        if (!parseTimeControl(value, tc)) return error = "bad time control: " + value, false;
        c.tcs.push_back(tc);
      } else {
        return error = "unknown option " + flag, false;
      }
    } catch (const std::invalid_argument& e) {
      return error = e.what(), false;
    }
  }
  if (c.engineA.empty()) c.engineA = c.engine;
  if (c.engineB.empty()) c.engineB = c.engine;
  if (c.engineA.empty() || c.engineB.empty()) return error = "no engine given", false;
  if (c.tcs.empty()) parseTimeControl("0.2+0.01", c.tcs.emplace_back());
  if (chess960 && !c.openingsFile.empty()) return error = "--chess960 plays from start positions, not openings", false;
  return true;
}

// Elo of A over B from the per-game scores, with the 95% interval of the mean score
// (normal approximation) carried through the same logistic curve.
std::string eloText(const std::vector<double>& scores) {
  const double n = double(scores.size());
  double mean = 0, var = 0;
  for (double s : scores) mean += s / n;
  for (double s : scores) var += (s - mean) * (s - mean) / n;
  const double margin = 1.96 * std::sqrt(var / n);
  auto elo = [](double p) {
    if (p <= 0) return std::string("-inf");
    if (p >= 1) return std::string("+inf");
    char text[32];
    std::snprintf(text, sizeof text, "%+.1f", -400 * std::log10(1 / p - 1) + 0.0);  // no "-0.0"
    return std::string(text);
  };
  return elo(mean) + " (95%: " + elo(mean - margin) + " .. " + elo(mean + margin) + ")";
}

std::string pgnText(const GameRecord& g, const TimeControl& tc, const std::string& nameA, const std::string& nameB) {
  char date[16];
  const std::time_t now = std::time(nullptr);
  std::strftime(date, sizeof date, "%Y.%m.%d", std::localtime(&now));
  const std::string white = g.aWhite ? nameA + " (A)" : nameB + " (B)";
  const std::string black = g.aWhite ? nameB + " (B)" : nameA + " (A)";
  std::string s = "[Event \"velmar-referee " + tc.text + "\"]\n[Site \"?\"]\n[Date \"" + date + "\"]\n[Round \"" +
                  std::to_string(g.index + 1) + "\"]\n[White \"" + white + "\"]\n[Black \"" + black +
                  "\"]\n[Result \"" + g.result + "\"]\n[TimeControl \"" + tc.text + "\"]\n[PlyCount \"" +
                  std::to_string(g.san.size()) + "\"]\n[OpeningPlies \"" + std::to_string(g.openingPlies) + "\"]\n";
  if (!g.startFen.empty()) s += "[Variant \"Chess960\"]\n[SetUp \"1\"]\n[FEN \"" + g.startFen + "\"]\n";
  s += "\n";
  std::string line;
  auto put = [&](const std::string& word) {
    if (line.size() + word.size() + 1 > 79) s += line + "\n", line.clear();
    line += (line.empty() ? "" : " ") + word;
  };
  for (size_t i = 0; i < g.san.size(); ++i) put((i % 2 == 0 ? std::to_string(i / 2 + 1) + ". " : "") + g.san[i]);
  put("{" + g.reason + "}");
  put(g.result);
  return s + line + "\n\n";
}

struct Shared {
  const Config& config;
  const EngineSetup* setups[2];
  const TimeControl& tc;
  const std::vector<std::vector<std::string>>& openings;
  std::vector<GameRecord> records;
  std::atomic<int> next{0};
  std::atomic<bool> failed{false};
  std::mutex m{};
  std::string error{}, nameA{}, nameB{};
  Tally outside{};  // protocol errors while engines start before their first game
};

std::vector<std::string> openingFor(const Shared& sh, int pair) {
  if (chess960) return {};
  if (sh.openings.empty()) return randomOpening(sh.config.seed, uint64_t(pair));
  return sh.openings[size_t(pair) % sh.openings.size()];
}

// One worker: its own pair of engines, games taken one at a time until none is left.
void worker(Shared& sh) {
  Engine a, b;
  a.setup = sh.setups[0];
  b.setup = sh.setups[1];
  try {
    int protocol = 0;
    startEngine(a, sh.config.run, protocol);
    startEngine(b, sh.config.run, protocol);
    {
      std::lock_guard<std::mutex> lock(sh.m);
      sh.outside.protocol += protocol;
      sh.nameA = a.name;
      sh.nameB = b.name;
    }
    for (int i; !sh.failed && (i = sh.next++) < sh.config.games;) {
      // Games 2k and 2k+1 share an opening with the colours swapped.
      const uint64_t mixed = (sh.config.seed + uint64_t(i / 2)) * 0x9E3779B97F4A7C15ULL;
      const std::string start = chess960 ? chess960Start(int((mixed >> 32) % 960)) : "";
      GameRecord r = playGame(a, b, i % 2 == 0, openingFor(sh, i / 2), sh.tc, sh.config.run, i, start);
      std::lock_guard<std::mutex> lock(sh.m);
      std::printf("game %d/%d [%s]: A %s, %s (%s), %zu plies\n", i + 1, sh.config.games, sh.tc.text.c_str(),
                  r.aWhite ? "white" : "black", r.result.c_str(), r.reason.c_str(), r.san.size());
      std::fflush(stdout);
      sh.records[size_t(i)] = std::move(r);
    }
  } catch (const std::exception& e) {
    std::lock_guard<std::mutex> lock(sh.m);
    sh.failed = true;
    sh.error = e.what();
  }
  stopEngine(a);
  stopEngine(b);
}

// Other programs' load changes what the clocks measure; the summary shows how busy the machine was.
std::string loadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string oneMinute;
  in >> oneMinute;
  return oneMinute.empty() ? "?" : oneMinute;
}

// A clock figure in milliseconds; "-" when no move was timed.
std::string clockText(int64_t us) {
  if (us == INT64_MAX) return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%.1f ms", double(us) / 1000);
  return text;
}

// Prints the time control's figures; true when no engine broke a rule of play or protocol.
bool printSummary(const Shared& sh, const std::string& loadBefore) {
  Tally t = sh.outside;
  std::vector<double> scores;
  int wins = 0, draws = 0, losses = 0;
  size_t plies = 0;
  std::map<std::string, int> endings;
  for (const GameRecord& r : sh.records) {
    t.add(r.tally);
    scores.push_back(r.scoreA);
    (r.scoreA == 1 ? wins : r.scoreA == 0 ? losses : draws)++;
    plies += r.san.size();
    const bool coloured = r.reason.rfind("white ", 0) == 0 || r.reason.rfind("black ", 0) == 0;
    ++endings[coloured ? r.reason.substr(6) : r.reason];
  }
  const size_t n = sh.records.size();
  std::printf("\n== tc %s: %zu games, A = %s, B = %s\n", sh.tc.text.c_str(), n, sh.nameA.c_str(), sh.nameB.c_str());
  std::printf("  A: +%d =%d -%d, score %.1f%%, Elo A-B %s\n", wins, draws, losses,
              100.0 * (wins + 0.5 * draws) / double(n), eloText(scores).c_str());
  std::printf("  flags %d, smallest clock left %s, largest overrun %.1f ms\n", t.flags, clockText(t.minLeftUs()).c_str(),
              double(t.maxOverrunUs) / 1000);
  std::printf("  by engine: smallest clock left A %s B %s; moves recorded at depth 1 or none though not forced A %d B %d\n",
              clockText(t.minLeftUsBy[0]).c_str(), clockText(t.minLeftUsBy[1]).c_str(), t.shallowBy[0], t.shallowBy[1]);
  std::printf("  hangs %d, crashes %d, illegal moves %d, protocol errors %d, average plies %.1f\n", t.hangs, t.crashes,
              t.illegal, t.protocol, double(plies) / double(n));
  std::string list;
  for (const auto& [reason, count] : endings) list += (list.empty() ? "" : ", ") + reason + " " + std::to_string(count);
  std::printf("  endings: %s\n", list.c_str());
  std::printf("  load average %s before, %s after\n\n", loadBefore.c_str(), loadAverage().c_str());
  std::fflush(stdout);
  return t.flags + t.hangs + t.crashes + t.illegal + t.protocol == 0;
}

}  // namespace

int main(int argc, char** argv) {
  Config config;
  std::string error;
  if (!parseArgs(argc, argv, config, error)) {
    std::fprintf(error.empty() ? stdout : stderr, "%s%s%s", error.c_str(), error.empty() ? "" : "\n", usage);
    return error.empty() ? 0 : 2;
  }
  // A dead engine's pipe must fail a write, not end the referee.
  signal(SIGPIPE, SIG_IGN);
  initEngineTables();

  std::vector<std::vector<std::string>> openings;
  if (!config.openingsFile.empty() && !readOpenings(config.openingsFile, openings, error)) {
    std::fprintf(stderr, "velmar-referee: %s\n", error.c_str());
    return 2;
  }
  if (!config.seedGiven) config.seed = uint64_t(std::chrono::system_clock::now().time_since_epoch().count()) % 1000000007;
  std::printf("seed %llu\n", (unsigned long long)config.seed);

  auto setup = [&](const char* label, const std::string& command, const std::vector<std::string>& own) {
    EngineSetup s{label, splitCommand(command), config.options};
    s.options.insert(s.options.end(), own.begin(), own.end());
    return s;
  };
  const EngineSetup setupA = setup("A", config.engineA, config.optionsA);
  const EngineSetup setupB = setup("B", config.engineB, config.optionsB);

  std::vector<pid_t> load = startLoad(config.load);
  int status = 0;
  for (const TimeControl& tc : config.tcs) {
    const std::string loadBefore = loadAverage();
    Shared sh{config, {&setupA, &setupB}, tc, openings, std::vector<GameRecord>(size_t(config.games))};
    std::vector<std::thread> threads;
    for (int i = 0; i < std::min(config.concurrency, config.games); ++i) threads.emplace_back(worker, std::ref(sh));
    for (std::thread& t : threads) t.join();
    if (sh.failed) {
      std::fprintf(stderr, "velmar-referee: %s\n", sh.error.c_str());
      status = 1;
      break;
    }
    if (!printSummary(sh, loadBefore) && status == 0) status = 3;
    if (!config.pgnFile.empty()) {
      std::ofstream pgn(config.pgnFile, std::ios::app);
      for (const GameRecord& r : sh.records) pgn << pgnText(r, tc, sh.nameA, sh.nameB);
      if (!pgn) std::fprintf(stderr, "velmar-referee: cannot write %s\n", config.pgnFile.c_str()), status = 1;
    }
  }
  stopLoad(load);
  return status;
}
