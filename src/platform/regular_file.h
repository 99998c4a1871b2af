// Opening the files a user names: only regular files, so that a pipe, a device or a directory
// given by mistake is refused at once instead of blocking the engine or feeding it forever.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// Opens an existing regular file for reading (binary); null for anything else or on failure.
// Never blocks, also when the name is a pipe no one writes to.
std::FILE* openRegularFileToRead(const char* path);

// Creates or truncates a regular file for writing (binary); null when the name is a pipe, a
// device or a directory, or the file cannot be made. Never blocks.
std::FILE* openRegularFileToWrite(const char* path);

// The whole content of a regular file of at most maxBytes; false for anything else, a larger
// file or a read error.
bool readRegularFile(const char* path, size_t maxBytes, std::string& out);
