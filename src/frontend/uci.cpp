#include "frontend/uci.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "frontend/diagnostics.h"
#include "frontend/options.h"
#include "frontend/position.h"
#include "frontend/tokens.h"
#include "search/perft.h"

namespace {

constexpr const char* uciReply =
    "id name velmar3 1.07 ZK\n"
    "id author Varnek\n"
    "option name Hash type spin min 1 max 1024 default 4\n"
    "option name Clear Hash type button\n"
    "option name Ponder type check default true\n"
    "option name Skill type spin min 0 max 100 default 100\n"
    "option name MultiPV type spin min 1 max 256 default 1\n"
    "option name GaviotaTbPath type string default /gtb/\n"
    "option name GaviotaTbCache type spin default 8 min 1 max 1024\n"
    "option name TBUsage type combo default always var never var root var always\n"
    "option name OwnBook type check default true\n"
    "option name PersonalityFile type string default\n"
    "uciok\n";

int clampToInt(int64_t v) { return int(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

void newGame(SearchContext& g) {
  resetPosition(g);
  std::printf("info string Starting new game, hash table cleared\n");
}

// Commands whose handlers come with the search ("go", "stop", "ponderhit") are accepted and do
// nothing yet.
void tokenCommand(SearchContext& g, const std::vector<std::string>& t) {
  const std::string& word = t[0];
  if (word == "setoption") {
    setOptionCommand(g, t);
  } else if (word == "loadpers") {
    loadPersonalityCommand(t);
  } else if (word == "savepers") {
    savePersonalityCommand(t);
  } else if (word == "perft") {
    if (t.size() >= 2) perftCommand(g.board, int(std::clamp<int64_t>(leadingNumber(t[1]), 0, MaxPerftDepth)));
  } else if (word == "rgstat") {
    if (t.size() >= 2) rgstatCommand(clampToInt(leadingNumber(t[1])));
  } else if (word == "swap") {
    swapCommand(g);
  } else if (word == "genkpk") {
    genkpkCommand();
  } else if (word == "dump") {
    dumpCommand(g);
  } else if (word == "position") {
    positionCommand(g, t);
  }
}

}  // namespace

bool readLine(std::FILE* in, std::string& line) {
  line.clear();
  for (;;) {
    int c = std::getc(in);
    if (c == EOF) return !line.empty();
    if (c == '\n') return true;
    line += char(c);
  }
}

bool handleLine(SearchContext& g, std::string line) {
  line.resize(std::strlen(line.c_str()));  // a NUL byte ends the text, as in any C string
  stripLineEnd(line);
  if (line.empty()) return true;
  if (line == "quit") return false;
  if (line == "isready") {
    std::printf("readyok\n");
  } else if (line == "$debug") {
  } else if (line == "uci") {
    std::printf("%s", uciReply);
  } else if (line == "ucinewgame") {
    newGame(g);
  } else {
    const std::vector<std::string> tokens = tokenize(line);
    if (!tokens.empty()) tokenCommand(g, tokens);
  }
  return true;
}

void commandLoop(SearchContext& g, std::FILE* in) {
  std::string line;
  while (readLine(in, line))
    if (!handleLine(g, line)) return;
}
