// The "position" command: set up a position and play the GUI's moves on both board forms.
#pragma once

#include <string>
#include <vector>

#include "search/context.h"

void positionCommand(SearchContext& g, const std::vector<std::string>& tokens);

// Plays one move token; reports a generator disagreement or an illegal move and goes on.
void applyGuiMove(SearchContext& g, const std::string& token);
