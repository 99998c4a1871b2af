// The UCI command loop: reads the GUI's lines until "quit" or end of input.
#pragma once

#include <cstdio>
#include <string>

#include "search/thread.h"

// Reads one whole line of any length (without its newline); false at end of input.
bool readLine(std::FILE* in, std::string& line);

// Carries out one input line; false when it was "quit".
bool handleLine(ThinkThread& engine, std::string line);

void commandLoop(ThinkThread& engine, std::FILE* in);
