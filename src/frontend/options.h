// "setoption" and the personality commands.
#pragma once

#include <string>
#include <vector>

#include "frontend/settings.h"
#include "search/thread.h"

void setOptionCommand(ThinkThread& engine, EngineSettings& settings, const std::vector<std::string>& tokens);
void loadPersonalityCommand(const std::vector<std::string>& tokens);
void savePersonalityCommand(const std::vector<std::string>& tokens);
