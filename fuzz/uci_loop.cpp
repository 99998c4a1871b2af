// The UCI command loop fed the input's lines, one engine for the whole run, brought back to its
// start state before each input. Every search is bounded by nodes; commands that write files,
// play thousands of games or size tables by the gigabyte are left out.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "eval/params.h"
#include "frontend/settings.h"
#include "frontend/startup.h"
#include "frontend/tokens.h"
#include "frontend/uci.h"
#include "search/thread.h"

namespace {

constexpr int MaxLines = 64;

std::string lowerCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return text;
}

bool leftOut(const std::vector<std::string>& t) {
  if (t.empty()) return false;
  const std::string& word = t[0];
  if (word == "savepers" || word == "genkpk" || word == "rgstat" || word == "bench") return true;
  if (word == "perft") return t.size() >= 2 && leadingNumber(t[1]) > 2;
  if (word == "setoption" && t.size() >= 3) {
    const std::string name = lowerCase(t[2]);
    return name == "hash" || name == "gaviotatbcache";
  }
  return false;
}

ThinkThread& engine() {
  static ThinkThread* e = [] {
    initEngineTables();
    auto* made = new ThinkThread();
    made->start();
    return made;
  }();
  return *e;
}

void backToStart(ThinkThread& e) {
  e.stopAndWait();
  resetAllParams();
  engineSettings = EngineSettings{};
  SearchContext& g = e.context();
  g.evaluator->skill = 100;
  g.tablebases.reset();
  g.tbMaxMen = 0;
  g.tbUsage = 2;
  handleLine(e, "ucinewgame");  // the position (counted with the default values), the tables
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ThinkThread& e = engine();
  backToStart(e);
  const std::string text(reinterpret_cast<const char*>(data), size);
  size_t at = 0;
  for (int n = 0; n < MaxLines && at < text.size(); ++n) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 1;
    // Cut as the loop cuts it (at a NUL, control bytes off the end), so the filter sees its words.
    line.resize(std::strlen(line.c_str()));
    stripLineEnd(line);
    const std::vector<std::string> tokens = tokenize(line);
    if (leftOut(tokens)) continue;
    const bool go = !tokens.empty() && tokens[0] == "go";
    if (go) line += " nodes 100";
    if (!handleLine(e, line)) break;
    // A search runs beside the following lines for a moment, as it would with a GUI.
    const bool ponder = std::find(tokens.begin(), tokens.end(), "ponder") != tokens.end();
    for (int ms = 0; go && !ponder && ms < 50 && e.searching(); ++ms)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  e.stopAndWait();
  return 0;
}
