// The engine's standard input and output. Every reply goes out whole in one write, the moment it
// is made, so that lines of the command loop and of the search thread never mix and a GUI never
// waits for a buffer to fill.
#pragma once

#include <cstddef>

// Before anything is read or written: standard output unbuffered and, on Windows, both streams
// in binary mode, so that the bytes are the same as on Linux (a carriage return sent by a GUI
// arrives and is stripped with the line end; "\n" goes out as "\n"; byte 26 ends nothing).
void prepareConsole();

// Formats as printf does and writes the text to standard output with a single write.
void print(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Writes the bytes as they are, with a single write.
void printRaw(const char* text, size_t length);
