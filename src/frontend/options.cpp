#include "frontend/options.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <exception>
#include <iterator>
#include <new>

#include "board/board.h"
#include "board/chess960.h"
#include "board/prng.h"
#include "eval/params.h"
#include "eval/personality.h"
#include "frontend/tokens.h"
#include "platform/console.h"

namespace {

int clampedNumber(const std::string& token, int lo, int hi) {
  return int(std::clamp<int64_t>(leadingNumber(token), lo, hi));
}

void clearHash(SearchContext& g) {
  g.tt.clear();
  print("info string Hash table cleared\n");
}

// Rebuilds the tablebase set from the settings; without tables found the engine stays without one.
void reopenTablebases(SearchContext& g, const EngineSettings& settings) {
  if (!openTablebases(g, settings)) print("info string no GTB found\n");
}

bool isPieceValue(const Param& p) {
  return p.value >= pieceValueTable && p.value < pieceValueTable + std::size(pieceValueTable);
}

// The board's material balance after a piece value changed.
void recountMaterial(SearchContext& g) { recomputeDerived(g.board); }

// The tokens [from, to), joined with single spaces: a path or an option name may contain blanks.
std::string joined(const std::vector<std::string>& t, size_t from, size_t to) {
  std::string text;
  for (size_t i = from; i < to; ++i) text += (i > from ? " " : "") + t[i];
  return text;
}

bool sameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower((unsigned char)x) == std::tolower((unsigned char)y);
         });
}

// The options the "uci" reply declares.
constexpr const char* declaredOptions[] = {"Hash",    "Ponder",        "Skill",           "MultiPV",
                                           "OwnBook", "GaviotaTbPath", "GaviotaTbCache",  "TBUsage",
                                           "PersonalityFile", "Move Overhead", "UCI_LimitStrength",
                                           "UCI_Elo",  "UCI_Chess960"};

// GUIs write option names in any capitalisation: the exact name first, then a declared option or
// a parameter that differs from it only in case. A name that matches nothing stays as sent.
std::string declaredName(const std::string& name) {
  for (const char* option : declaredOptions)
    if (name == option) return name;
  if (findParam(name)) return name;
  for (const char* option : declaredOptions)
    if (sameIgnoringCase(name, option)) return option;
  for (const Param* p : allParams())
    if (sameIgnoringCase(name, p->name)) return p->name;
  return name;
}

}  // namespace

bool openTablebases(SearchContext& g, const EngineSettings& settings) {
  g.tablebases.reset();
  g.tbMaxMen = 0;
  // Without memory for the whole cache, the largest half, quarter... that can be had.
  int megabytes = settings.tablebaseCacheMb;
  while (!g.tablebases && megabytes >= 1) {
    try {
      g.tablebases = std::make_unique<TablebaseSet>(settings.tablebasePath, size_t(megabytes) << 20);
    } catch (const std::bad_alloc&) {
      megabytes /= 2;
    }
  }
  if (!g.tablebases) return false;  // not even 1 MB: play without tables
  if (megabytes != settings.tablebaseCacheMb)
    print("info string GTB cache of %d MB cannot be had, size set to %d MB\n", settings.tablebaseCacheMb,
          megabytes);
  g.tbMaxMen = g.tablebases->maxMen;
  if (g.tbMaxMen == 0) g.tablebases.reset();
  return g.tbMaxMen != 0;
}

// Options that change what the search reads (the table, the evaluator, the settings a search
// is started with) wait for a running search first; OwnBook and the named parameters other than
// the piece values do not.
void setOptionCommand(ThinkThread& engine, EngineSettings& settings, const std::vector<std::string>& t) {
  if (t.size() < 4 || t[1] != "name") return;
  SearchContext& g = engine.context();
  // The button: "Clear Hash", whatever follows it.
  if (sameIgnoringCase(t[2], "Clear") && sameIgnoringCase(t[3], "Hash")) {
    engine.stopAndWait();
    clearHash(g);
    return;
  }
  // The name runs up to the keyword "value", the value from after it.
  const size_t valueAt = size_t(std::find(t.begin() + 3, t.end(), "value") - t.begin());
  if (valueAt == t.size()) return;
  const std::string name = declaredName(joined(t, 2, valueAt));
  const size_t first = valueAt + 1;
  // These two accept an empty value: no path, or the default usage.
  if (name == "GaviotaTbPath") {
    engine.stopAndWait();
    settings.tablebasePath = joined(t, first, t.size());
    reopenTablebases(g, settings);
    return;
  }
  if (name == "TBUsage") {
    engine.stopAndWait();
    const std::string word = t.size() > first ? t[first] : "";
    settings.tbUsage = word == "never" ? 0 : word == "root" ? 1 : 2;
    g.tbUsage = settings.tbUsage;
    constexpr const char* usageNames[] = {"never", "root", "always"};
    print("info string TB usage set to %s\n", usageNames[settings.tbUsage]);
    return;
  }
  if (t.size() <= first) return;
  const std::string& value = t[first];

  if (name == "PersonalityFile") {
    // The whole rest of the line: a Windows path often holds a blank ("C:\\Program Files\\...").
    const std::string path = joined(t, first, t.size());
    engine.stopAndWait();
    clearHash(g);
    const bool loaded = loadPersonality(path.c_str());
    recountMaterial(g);
    print("info string %s %s\n", loaded ? "personality file loaded" : "personality file not found", path.c_str());
  } else if (name == "Skill") {
    engine.stopAndWait();
    if (!g.evaluator) return;
    g.evaluator->skill = clampedNumber(value, 0, 100);
    print("info string Skill set to %d (note: affects analysis as well)\n", g.evaluator->skill);
    clearHash(g);  // scores stored at the old level would mislead the new one
  } else if (name == "Hash") {
    const int megabytes = clampedNumber(value, 1, 1024);
    engine.stopAndWait();
    const int set = g.tt.resize(megabytes) ? megabytes : g.tt.megabytes();
    if (set == megabytes)
      print("info string Hash table size set to %d MB\n", megabytes);
    else
      print("info string Hash table of %d MB cannot be had, size set to %d MB\n", megabytes, set);
  } else if (name == "GaviotaTbCache") {
    engine.stopAndWait();
    settings.tablebaseCacheMb = clampedNumber(value, 1, 1024);
    print("info string GTB cache size set to %d MB\n", settings.tablebaseCacheMb);
    reopenTablebases(g, settings);
  } else if (name == "MultiPV") {
    settings.multiPv = clampedNumber(value, 1, 256);
    engine.stopAndWait();
    print("info string MultiPV %d\n", settings.multiPv);
  } else if (name == "Ponder") {
    engine.stopAndWait();
    settings.ponder = value == "true";
    print("info string Pondering %s\n", settings.ponder ? "enabled" : "disabled");
  } else if (name == "OwnBook") {
    settings.ownBook = value == "true";
    print("info string Own book %s\n", settings.ownBook ? "enabled" : "disabled");
  } else if (name == "Move Overhead") {
    // Read by the next timed "go" only: no search needs to wait.
    settings.moveOverhead = clampedNumber(value, 0, MaxMoveOverheadMs);
    print("info string Move Overhead set to %d ms\n", settings.moveOverhead);
  } else if (name == "UCI_LimitStrength") {
    engine.stopAndWait();
    settings.limitStrength = value == "true";
    print("info string Strength limit %s\n", settings.limitStrength ? "enabled" : "disabled");
    clearHash(g);  // what a search at one strength stored would play at another
  } else if (name == "UCI_Elo") {
    engine.stopAndWait();
    settings.uciElo = clampedNumber(value, MinStrengthElo, MaxStrengthElo);
    print("info string UCI_Elo set to %d\n", settings.uciElo);
    clearHash(g);
  } else if (name == "UCI_Chess960") {
    engine.stopAndWait();
    chess960 = value == "true";
    print("info string Chess960 %s\n", chess960 ? "enabled" : "disabled");
    clearHash(g);  // its castling moves are written the other way
  } else if (Param* p = findParam(name)) {
    // Hidden options: the evaluation and search parameters, by their names. The board counts
    // its material in the piece values, so a new value waits for the search and recounts.
    const bool pieceValue = isPieceValue(*p);
    if (pieceValue) engine.stopAndWait();
    setParam(*p, leadingNumber(value));
    if (pieceValue) recountMaterial(g);
    print("info string %s set to %d\n", name.c_str(), getParam(*p));
  }
}

// "loadpers" and "savepers" take the rest of the line as the file name, blanks and all.
void loadPersonalityCommand(ThinkThread& engine, const std::vector<std::string>& t) {
  if (t.size() < 2) return;
  const std::string path = joined(t, 1, t.size());
  engine.stopAndWait();  // the file may change piece values the board counts with
  if (!loadPersonality(path.c_str())) print("error loading personality <= `%s'\n", path.c_str());
  recountMaterial(engine.context());
}

void drawStrengthSeed(EngineSettings& settings) {
  settings.strengthSeed = uint32_t(random15()) << 15 | uint32_t(random15());
}

void savePersonalityCommand(const std::vector<std::string>& t) {
  if (t.size() < 2) return;
  const std::string path = joined(t, 1, t.size());
  if (!savePersonality(path.c_str())) print("error saving personality => `%s'\n", path.c_str());
}
