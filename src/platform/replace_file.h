// Writing a file whole or not at all: the bytes go to a temporary file beside it, which then takes
// the file's place in one step, so that the old file stays whole until the new one is complete.
#pragma once

#include <string>

// False, and the old file untouched, when anything on the way fails.
bool replaceFile(const std::string& path, const std::string& bytes);
