// "setoption" and the personality commands.
#pragma once

#include <string>
#include <vector>

#include "search/context.h"

void setOptionCommand(SearchContext& g, const std::vector<std::string>& tokens);
void loadPersonalityCommand(const std::vector<std::string>& tokens);
void savePersonalityCommand(const std::vector<std::string>& tokens);
