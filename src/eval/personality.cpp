#include "eval/personality.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "platform/console.h"
#include "platform/regular_file.h"
#include "eval/params.h"

namespace {

// A line is read in pieces of at most this many characters; the rest starts a new line.
constexpr size_t LineLimit = 4095;
// Far beyond 46 lines with any comments: a larger file is not a personality.
constexpr size_t MaxFileBytes = size_t(1) << 20;

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
    print("warning: ignoring invalid parameter: `%s'\n", name.c_str());
    return;
  }
  while (*p && (isBlank(*p) || *p == '=')) ++p;
  setParam(*param, readNumber(p));
}

}  // namespace

void applyPersonality(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    const size_t newline = text.find('\n', at);
    const size_t lineEnd = newline == std::string_view::npos ? text.size() : newline + 1;
    const size_t end = std::min(lineEnd, at + LineLimit);
    applyLine(std::string(text.substr(at, end - at)).c_str());
    at = end;
  }
}

bool loadPersonality(const char* path) {
  // The whole file first: one that cannot be read to its end changes nothing.
  std::string text;
  if (!readRegularFile(path, MaxFileBytes, text)) return false;
  applyPersonality(text);
  return true;
}

bool savePersonality(const char* path) {
  std::FILE* f = openRegularFileToWrite(path);
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
