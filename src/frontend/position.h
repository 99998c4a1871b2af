// The "position" command: set up a position and play the GUI's moves on both board forms.
#pragma once

#include <string>
#include <vector>

#include "frontend/game.h"

void positionCommand(Game& g, const std::vector<std::string>& tokens);

// Plays one move token; reports a generator disagreement or an illegal move and goes on.
void applyGuiMove(Game& g, const std::string& token);
