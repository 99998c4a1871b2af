// Reading games from text with one game per line in UCI coordinates ("e2e4 e7e5 g1f3"),
// optionally closed by a result token. Blank lines and lines starting with "#" are skipped.
#pragma once

#include <string>
#include <string_view>

#include "pgn_reader.h"

void readUciLineGames(std::string_view text, const std::string& fileName, const GameSink& onGame);
