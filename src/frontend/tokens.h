// Splitting command lines and reading numbers the way the protocol expects.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Tokens split at space, tab, carriage return, line feed and vertical tab; no empty tokens.
std::vector<std::string> tokenize(const std::string& line);

// The leading base-10 number of a token: optional sign, then digits; no digits gives 0.
// Saturates instead of overflowing.
int64_t leadingNumber(const std::string& token);

// Removes trailing bytes below 32 taken as signed: control characters and bytes 128-255.
void stripLineEnd(std::string& line);
