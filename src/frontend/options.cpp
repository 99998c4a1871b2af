#include "frontend/options.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <new>

#include "eval/params.h"
#include "eval/personality.h"
#include "frontend/tokens.h"

namespace {

int clampedNumber(const std::string& token, int lo, int hi) {
  return int(std::clamp<int64_t>(leadingNumber(token), lo, hi));
}

void clearHash(SearchContext& g) {
  g.tt.clear();
  std::printf("info string Hash table cleared\n");
}

// Rebuilds the tablebase set from the settings; without tables found the engine stays without one.
void reopenTablebases(SearchContext& g, const EngineSettings& settings) {
  if (!openTablebases(g, settings)) std::printf("info string no GTB found\n");
}

// The tokens from `from` on, joined with single spaces: a path may contain blanks.
std::string joinedFrom(const std::vector<std::string>& t, size_t from) {
  std::string text;
  for (size_t i = from; i < t.size(); ++i) text += (i > from ? " " : "") + t[i];
  return text;
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
    std::printf("info string GTB cache of %d MB cannot be had, size set to %d MB\n", settings.tablebaseCacheMb,
                megabytes);
  g.tbMaxMen = g.tablebases->maxMen;
  if (g.tbMaxMen == 0) g.tablebases.reset();
  return g.tbMaxMen != 0;
}

// Options that change what the search reads (the table, the evaluator, the settings a search
// is started with) wait for a running search first; OwnBook and the named parameters do not.
void setOptionCommand(ThinkThread& engine, EngineSettings& settings, const std::vector<std::string>& t) {
  if (t.size() < 4 || t[1] != "name") return;
  const std::string& name = t[2];
  SearchContext& g = engine.context();
  if (name == "Clear") {
    if (t[3] != "Hash") return;
    engine.stopAndWait();
    clearHash(g);
    return;
  }
  if (t[3] != "value") return;
  // These two accept an empty value: no path, or the default usage.
  if (name == "GaviotaTbPath") {
    engine.stopAndWait();
    settings.tablebasePath = joinedFrom(t, 4);
    reopenTablebases(g, settings);
    return;
  }
  if (name == "TBUsage") {
    engine.stopAndWait();
    const std::string word = t.size() > 4 ? t[4] : "";
    settings.tbUsage = word == "never" ? 0 : word == "root" ? 1 : 2;
    g.tbUsage = settings.tbUsage;
    constexpr const char* usageNames[] = {"never", "root", "always"};
    std::printf("info string TB usage set to %s\n", usageNames[settings.tbUsage]);
    return;
  }
  if (t.size() < 5) return;
  const std::string& value = t[4];

  if (name == "PersonalityFile") {
    engine.stopAndWait();
    clearHash(g);
    const bool loaded = loadPersonality(value.c_str());
    std::printf("info string %s %s\n", loaded ? "personality file loaded" : "personality file not found",
                value.c_str());
  } else if (name == "Skill") {
    engine.stopAndWait();
    if (!g.evaluator) return;
    g.evaluator->skill = clampedNumber(value, 0, 100);
    std::printf("info string Skill set to %d (note: affects analysis as well)\n", g.evaluator->skill);
    clearHash(g);  // scores stored at the old level would mislead the new one
  } else if (name == "Hash") {
    const int megabytes = clampedNumber(value, 1, 1024);
    engine.stopAndWait();
    const int had = resizeWithin(g.tt, megabytes);
    if (had == megabytes)
      std::printf("info string Hash table size set to %d MB\n", megabytes);
    else
      std::printf("info string Hash table of %d MB cannot be had, size set to %d MB\n", megabytes, had);
  } else if (name == "GaviotaTbCache") {
    engine.stopAndWait();
    settings.tablebaseCacheMb = clampedNumber(value, 1, 1024);
    std::printf("info string GTB cache size set to %d MB\n", settings.tablebaseCacheMb);
    reopenTablebases(g, settings);
  } else if (name == "MultiPV") {
    settings.multiPv = clampedNumber(value, 1, 256);
    engine.stopAndWait();
    std::printf("info string MultiPV %d\n", settings.multiPv);
  } else if (name == "Ponder") {
    engine.stopAndWait();
    settings.ponder = value == "true";
    std::printf("info string Pondering %s\n", settings.ponder ? "enabled" : "disabled");
  } else if (name == "OwnBook") {
    settings.ownBook = value == "true";
    std::printf("info string Own book %s\n", settings.ownBook ? "enabled" : "disabled");
  } else if (Param* p = findParam(name)) {
    // Hidden options: the evaluation and search parameters, by their exact names.
    setParam(*p, leadingNumber(value));
    std::printf("info string %s set to %d\n", name.c_str(), getParam(*p));
  }
}

void loadPersonalityCommand(const std::vector<std::string>& t) {
  if (t.size() < 2) return;
  if (!loadPersonality(t[1].c_str())) std::printf("error loading personality <= `%s'\n", t[1].c_str());
}

void savePersonalityCommand(const std::vector<std::string>& t) {
  if (t.size() < 2) return;
  if (!savePersonality(t[1].c_str())) std::printf("error saving personality => `%s'\n", t[1].c_str());
}
