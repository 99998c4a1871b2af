#include "frontend/tokens.h"

#include <limits>

std::vector<std::string> tokenize(const std::string& line) {
  std::vector<std::string> tokens;
  auto isDelimiter = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v'; };
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && isDelimiter(line[i])) ++i;
    size_t start = i;
    while (i < line.size() && !isDelimiter(line[i])) ++i;
    if (i > start) tokens.emplace_back(line, start, i - start);
  }
  return tokens;
}

int64_t leadingNumber(const std::string& token) {
  size_t i = 0;
  bool negative = false;
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) negative = token[i++] == '-';
  constexpr int64_t limit = std::numeric_limits<int32_t>::max() * int64_t{4};
  int64_t value = 0;
  for (; i < token.size() && token[i] >= '0' && token[i] <= '9'; ++i)
    if (value < limit) value = value * 10 + (token[i] - '0');
  return negative ? -value : value;
}

void stripLineEnd(std::string& line) {
  while (!line.empty() && static_cast<signed char>(line.back()) < 32) line.pop_back();
}
