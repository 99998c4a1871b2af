#include "frontend/options.h"

#include <cstdio>

#include "eval/params.h"
#include "eval/personality.h"
#include "frontend/tokens.h"

namespace {

// The options the GUI sees; they come before any parameter of the same name.
bool isEngineOption(const std::string& name) {
  for (const char* option : {"PersonalityFile", "Skill", "Hash", "GaviotaTbCache", "GaviotaTbPath", "TBUsage",
                             "MultiPV", "Ponder", "OwnBook", "Clear"})
    if (name == option) return true;
  return false;
}

}  // namespace

void setOptionCommand(SearchContext&, const std::vector<std::string>& t) {
  if (t.size() < 5 || t[1] != "name" || t[3] != "value") return;
  const std::string& name = t[2];
  if (isEngineOption(name)) return;  // handled once the search and tablebases exist
  // Hidden options: the evaluation and search parameters, by their exact names.
  Param* p = findParam(name);
  if (!p) return;
  setParam(*p, leadingNumber(t[4]));
  std::printf("info string %s set to %d\n", name.c_str(), getParam(*p));
}

void loadPersonalityCommand(const std::vector<std::string>& t) {
  if (t.size() < 2) return;
  if (!loadPersonality(t[1].c_str())) std::printf("error loading personality <= `%s'\n", t[1].c_str());
}

void savePersonalityCommand(const std::vector<std::string>& t) {
  if (t.size() < 2) return;
  if (!savePersonality(t[1].c_str())) std::printf("error saving personality => `%s'\n", t[1].c_str());
}
