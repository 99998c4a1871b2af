// "setoption", the tablebase set it rebuilds, and the personality commands.
#pragma once

#include <string>
#include <vector>

#include "frontend/settings.h"
#include "search/thread.h"

// Replaces the context's tablebase set by one opened with the settings' path and cache size;
// false, and no set, when no complete group of tables is there.
bool openTablebases(SearchContext& g, const EngineSettings& settings);

void setOptionCommand(ThinkThread& engine, EngineSettings& settings, const std::vector<std::string>& tokens);
void loadPersonalityCommand(ThinkThread& engine, const std::vector<std::string>& tokens);
void savePersonalityCommand(const std::vector<std::string>& tokens);

// A new seed for a weakened engine's choices, from the process's generator: each game differs,
// and a run seeded alike plays alike.
void drawStrengthSeed(EngineSettings& settings);
