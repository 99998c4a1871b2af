// The UCI command loop: reads the GUI's lines until "quit" or end of input.
#pragma once

#include <cstdio>
#include <string>

#include "search/thread.h"

// The longest line taken: a "position" with a game of thousands of moves fits many times over.
constexpr size_t MaxLineBytes = size_t(1) << 20;

// Reads one whole line (without its newline); false at end of input. A line longer than
// MaxLineBytes is read to its end and comes back empty, so it is ignored like a blank one and
// no line can take more memory than that.
bool readLine(std::FILE* in, std::string& line);

// Carries out one input line; false when it was "quit".
bool handleLine(ThinkThread& engine, std::string line);

void commandLoop(ThinkThread& engine, std::FILE* in);
