#include "board/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// O_NONBLOCK keeps the open itself from waiting on a pipe; once the file is known to be
// regular the flag is dropped again.
std::FILE* openRegular(const char* path, int flags, const char* mode) {
  const int fd = ::open(path, flags | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || ::fcntl(fd, F_SETFL, 0) != 0) {
    ::close(fd);
    return nullptr;
  }
  std::FILE* f = ::fdopen(fd, mode);
  if (!f) ::close(fd);
  return f;
}

}  // namespace

std::FILE* openRegularFileToRead(const char* path) { return openRegular(path, O_RDONLY, "rb"); }

std::FILE* openRegularFileToWrite(const char* path) {
  // No O_TRUNC here: a name that turns out not to be a regular file is left as it was.
  std::FILE* f = openRegular(path, O_WRONLY | O_CREAT, "wb");
  if (f && ::ftruncate(::fileno(f), 0) != 0) {
    std::fclose(f);
    return nullptr;
  }
  return f;
}

bool readRegularFile(const char* path, size_t maxBytes, std::string& out) {
  out.clear();
  std::FILE* f = openRegularFileToRead(path);
  if (!f) return false;
  char buffer[4096];
  bool ok = true;
  for (size_t n; ok && (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) {
    ok = out.size() + n <= maxBytes;  // a file may grow while it is read: the bound is on bytes read
    if (ok) out.append(buffer, n);
  }
  ok = ok && !std::ferror(f);
  std::fclose(f);
  return ok;
}
