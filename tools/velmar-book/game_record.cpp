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
  std::fprintf(stderr, "%s:%d: %s\n", file.c_str(), line, message.c_str());
}
