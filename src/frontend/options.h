// "setoption" and the personality commands.
#pragma once

#include <string>
#include <vector>

#include "frontend/game.h"

void setOptionCommand(Game& g, const std::vector<std::string>& tokens);
void loadPersonalityCommand(const std::vector<std::string>& tokens);
void savePersonalityCommand(const std::vector<std::string>& tokens);
