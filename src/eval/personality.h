// Personality files: one "name = value" line per parameter.
#pragma once

// Applies every known "name = value" line; false only when the file cannot be opened.
bool loadPersonality(const char* path);
// Writes every parameter with its default and range; false when the file cannot be written.
bool savePersonality(const char* path);
