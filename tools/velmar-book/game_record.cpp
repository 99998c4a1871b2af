#include "game_record.h"

#include <cstdio>

bool readResultToken(std::string_view token, GameResult& result) {
  if (token == "1-0") {
    result = GameResult::WhiteWins;
  } else if (token == "0-1") {
    result = GameResult::BlackWins;
  } else if (token == "1/2-1/2") {
    result = GameResult::Draw;
  } else if (token == "*") {
    result = GameResult::Unknown;
  } else {
    return false;
  }
  return true;
}

void reportInputError(const std::string& file, int line, const std::string& message) {
  std::fprintf(stderr, "%s:%d: %s\n", printable(file).c_str(), line, printable(message).c_str());
}

std::string printable(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      out += c;
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      out += escaped;
    }
  }
  return out;
}
