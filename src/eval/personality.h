// Personality files: one "name = value" line per parameter.
#pragma once

#include <string_view>

// Applies every known "name = value" line of a regular file of at most 1 MiB; false, with
// nothing changed, for anything else (a pipe, a device, a directory) or a file that cannot be read.
bool loadPersonality(const char* path);
// The lines of a personality file's text, applied in order.
void applyPersonality(std::string_view text);
// Writes every parameter with its default and range; false when the file cannot be written.
bool savePersonality(const char* path);
