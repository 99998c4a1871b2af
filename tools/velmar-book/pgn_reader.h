// Reading games from PGN text: tag pairs, then the main line's moves in standard algebraic
// notation up to the result. Comments, variations, NAGs and move numbers are passed over.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "game_record.h"

using GameSink = std::function<void(const GameRecord&)>;

// Calls onGame for every game of the text, in file order. Faults of the text itself (an
// unterminated comment, a stray parenthesis, a malformed tag) are reported and reading goes on;
// faulty moves are left for the one who plays them.
void readPgnGames(std::string_view text, const std::string& fileName, const GameSink& onGame);
