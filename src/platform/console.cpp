#include "platform/console.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

// Straight to the file descriptor: stdio on an unbuffered stream may pass a line on in pieces
// (MinGW's printf puts it out a byte at a time). The lock keeps a long text, which a pipe may
// take in several writes, from being cut into by the other thread.
void writeAll(const char* text, size_t length) {
  static std::mutex lock;
  std::lock_guard hold(lock);
  while (length > 0) {
#if defined(_WIN32)
    const int n = _write(1, text, unsigned(length < 0x40000000 ? length : 0x40000000));
#else
    const ssize_t n = ::write(1, text, length);
#endif
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // the GUI has gone; nothing is left to tell
    text += n;
    length -= size_t(n);
  }
}

}  // namespace

void prepareConsole() {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
#if defined(_WIN32)
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
}

void print(const char* format, ...) {
  // Replies fit the stack buffer; a longer text (a board dump, a long option list) is formatted
  // again into one of its size.
  char buffer[4096];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (n < 0) return;
  if (size_t(n) < sizeof buffer) return writeAll(buffer, size_t(n));
  std::string text(size_t(n) + 1, '\0');
  va_start(args, format);
  std::vsnprintf(text.data(), text.size(), format, args);
  va_end(args);
  writeAll(text.data(), size_t(n));
}

void printRaw(const char* text, size_t length) { writeAll(text, length); }
