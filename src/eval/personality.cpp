#include "eval/personality.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "eval/params.h"

namespace {

// A line is read in pieces of at most this many characters; the rest starts a new line.
constexpr int LineLimit = 4095;

// Control characters and bytes 128-255 (a byte-order mark, say) count as blanks.
bool isBlank(char c) { return static_cast<signed char>(c) <= 32; }
bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Signed decimal with saturation at the ends of the 32-bit range; no digits gives 0.
int64_t readNumber(const char* p) {
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  int64_t value = 0;
  for (; isDigit(*p); ++p) value = std::min<int64_t>(value * 10 + (*p - '0'), int64_t{1} << 32);
  value = negative ? -value : value;
  return std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
}

void applyLine(const char* p) {
  while (*p && isBlank(*p)) ++p;
  if (!isLetter(*p)) return;  // comments, blank lines and anything else
  const char* start = p;
  while (isLetter(*p) || isDigit(*p)) ++p;
  const std::string name(start, p);
  Param* param = findParam(name);
  if (!param) {
    std::printf("warning: ignoring invalid parameter: `%s'\n", name.c_str());
    return;
  }
  while (*p && (isBlank(*p) || *p == '=')) ++p;
  setParam(*param, readNumber(p));
}

}  // namespace

bool loadPersonality(const char* path) {
  std::FILE* f = std::fopen(path, "r");
  if (!f) return false;
  char line[LineLimit + 1];
  while (std::fgets(line, sizeof line, f)) {
    line[LineLimit] = '\0';
    applyLine(line);
  }
  std::fclose(f);
  return true;
}

bool savePersonality(const char* path) {
  std::FILE* f = std::fopen(path, "w");
  if (!f) return false;
  size_t width = 0;
  for (const Param* p : allParams()) width = std::max(width, p->name.size());
  bool ok = true;
  for (const Param* p : allParams()) {
    std::string name = p->name;
    name.resize(width, ' ');
    if (std::fprintf(f, "%s = %-6d    // default: %-6d, range: %d .. %d\n", name.c_str(), *p->value,
                     p->defaultValue, p->min, p->max) < 0) {
      ok = false;
      break;
    }
  }
  if (std::fclose(f) != 0) ok = false;
  return ok;
}
