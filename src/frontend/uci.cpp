#include "frontend/uci.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "eval/params.h"
#include "frontend/diagnostics.h"
#include "frontend/go_command.h"
#include "frontend/options.h"
#include "frontend/position.h"
#include "frontend/settings.h"
#include "frontend/tokens.h"
#include "platform/console.h"
#include "search/bench.h"
#include "search/perft.h"

namespace {

constexpr const char* uciReply =
    "id name velmar3 " VELMAR_VERSION " ZK\n"
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
    "option name Move Overhead type spin min 0 max 5000 default 50\n"
    "option name UCI_LimitStrength type check default false\n";

#ifdef VELMAR_TUNING_OPTIONS
constexpr bool paramsAsOptions = true;
#else
constexpr bool paramsAsOptions = false;
#endif

// The reply to "uci", written at once. A tuning build also declares every parameter, so that
// tuning frameworks, which set only the options an engine declares, can reach them.
void uciCommand() {
  std::string reply = uciReply;
  char elo[96];
  std::snprintf(elo, sizeof elo, "option name UCI_Elo type spin min %d max %d default %d\n", MinStrengthElo,
                MaxStrengthElo, MinStrengthElo);
  reply += elo;
  reply += "option name UCI_Chess960 type check default false\n";
  if (paramsAsOptions) {
    for (const Param* p : allParams()) {
      char line[128];
      std::snprintf(line, sizeof line, "option name %s type spin default %d min %d max %d\n", p->name.c_str(),
                    p->defaultValue, p->min, p->max);
      reply += line;
    }
  }
  reply += "uciok\n";
  printRaw(reply.data(), reply.size());
}

static_assert(DefaultMoveOverheadMs == 50 && MaxMoveOverheadMs == 5000, "the \"uci\" reply declares them");

int clampToInt(int64_t v) { return int(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

void newGame(ThinkThread& engine) {
  engine.stopAndWait();
  SearchContext& g = engine.context();
  resetPosition(g);
  // Nothing learnt in the last game carries over: lines, killers, history and the table.
  for (PlyRecord& row : g.pvTable) row = PlyRecord{};
  std::memset(g.historyTable, 0, sizeof g.historyTable);
  g.tt.clear();
  drawStrengthSeed(engineSettings);
  print("info string Starting new game, hash table cleared\n");
}

// Commands that read or change the position, the table, the evaluator or the parameters wait for
// a running search first; "rgstat" and "savepers" touch nothing a search reads.
void tokenCommand(ThinkThread& engine, const std::vector<std::string>& t) {
  SearchContext& g = engine.context();
  const std::string& word = t[0];
  if (word == "setoption") {
    setOptionCommand(engine, engineSettings, t);
  } else if (word == "loadpers") {
    loadPersonalityCommand(engine, t);
  } else if (word == "savepers") {
    savePersonalityCommand(t);
  } else if (word == "perft") {
    if (t.size() < 2) return;
    engine.stopAndWait();
    perftCommand(g.board, int(std::clamp<int64_t>(leadingNumber(t[1]), 0, MaxPerftDepth)));
  } else if (word == "rgstat") {
    if (t.size() >= 2) rgstatCommand(clampToInt(leadingNumber(t[1])));
  } else if (word == "swap") {
    engine.stopAndWait();  // the search thread plays its moves on this very Board
    swapCommand(g);
  } else if (word == "genkpk") {
    engine.stopAndWait();
    genkpkCommand();
  } else if (word == "dump") {
    engine.stopAndWait();
    dumpCommand(g);
  } else if (word == "ponderhit") {
    engine.ponderHit();
  } else if (word == "stop") {
    engine.stopAndWait();  // the search prints its own closing lines
  } else if (word == "go") {
    goCommand(engine, engineSettings, t);
  } else if (word == "position") {
    engine.stopAndWait();
    positionCommand(g, t);
  } else if (word == "bench") {
    engine.stopAndWait();
    benchCommand(t.size() >= 2 ? int(std::clamp<int64_t>(leadingNumber(t[1]), 1, 30)) : BenchDepth);
  }
}

}  // namespace

bool readLine(std::FILE* in, std::string& line) {
  line.clear();
  bool tooLong = false;
  for (;;) {
    const int c = std::getc(in);
    if (c == EOF && line.empty() && !tooLong) return false;
    if (c == EOF || c == '\n') break;
    if (line.size() < MaxLineBytes) {
      line += char(c);
    } else {
      tooLong = true;
    }
  }
  if (tooLong) line.clear();
  return true;
}

bool handleLine(ThinkThread& engine, std::string line) {
  line.resize(std::strlen(line.c_str()));  // a NUL byte ends the text, as in any C string
  stripLineEnd(line);
  if (line.empty()) return true;
  if (line == "quit") return false;
  if (line == "isready") {
    print("readyok\n");
  } else if (line == "$debug") {
  } else if (line == "uci") {
    uciCommand();
  } else if (line == "ucinewgame") {
    newGame(engine);
  } else {
    const std::vector<std::string> tokens = tokenize(line);
    if (!tokens.empty()) tokenCommand(engine, tokens);
  }
  return true;
}

void commandLoop(ThinkThread& engine, std::FILE* in) {
  std::string line;
  while (readLine(in, line)) {
    try {
      if (!handleLine(engine, line)) return;
    } catch (const std::exception&) {
      // Out of memory in one command (the only thing that throws): the engine takes the next.
    }
  }
}
