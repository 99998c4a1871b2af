#include "clock.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace {

// A whole string as a non-negative number of seconds.
bool parseSeconds(const std::string& text, int64_t& us) {
  if (text.empty() || text[0] == '-' || text[0] == '+' || std::isspace((unsigned char)text[0])) return false;
  char* end = nullptr;
  const double seconds = std::strtod(text.c_str(), &end);
  if (*end != '\0' || !std::isfinite(seconds) || seconds > 1e7) return false;
  us = std::llround(seconds * 1e6);
  return true;
}

}  // namespace

bool parseTimeControl(const std::string& text, TimeControl& out) {
  TimeControl tc;
  tc.text = text;
  std::string rest = text;
  const size_t slash = rest.find('/');
  if (slash != std::string::npos) {
    const std::string moves = rest.substr(0, slash);
    if (moves.empty() || moves.size() > 4 || moves.find_first_not_of("0123456789") != std::string::npos) return false;
    tc.moves = std::atoi(moves.c_str());
    if (tc.moves == 0) return false;
    rest.erase(0, slash + 1);
  }
  const size_t plus = rest.find('+');
  if (plus != std::string::npos) {
    if (!parseSeconds(rest.substr(plus + 1), tc.incUs)) return false;
    rest.erase(plus);
  }
  if (!parseSeconds(rest, tc.baseUs) || tc.baseUs <= 0) return false;
  out = tc;
  return true;
}

SideClock startClock(const TimeControl& tc) { return SideClock{tc.baseUs, tc.moves}; }

bool chargeMove(SideClock& clock, const TimeControl& tc, int64_t usedUs) {
  clock.leftUs -= usedUs;
  if (clock.leftUs < 0) return false;
  clock.leftUs += tc.incUs;
  if (tc.moves && --clock.movesToGo == 0) {
    clock.leftUs += tc.baseUs;
    clock.movesToGo = tc.moves;
  }
  return true;
}

std::string goArguments(const SideClock& white, const SideClock& black, const TimeControl& tc, int sideToMove) {
  // Whole milliseconds, rounded down: the engine never sees more time than it has.
  auto ms = [](int64_t us) { return std::to_string(us / 1000); };
  std::string s = "wtime " + ms(white.leftUs) + " btime " + ms(black.leftUs) + " winc " + ms(tc.incUs) +
                  " binc " + ms(tc.incUs);
  if (tc.moves) s += " movestogo " + std::to_string(sideToMove == 0 ? white.movesToGo : black.movesToGo);
  return s;
}
