#include "platform/replace_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

// A rename over an existing file: one step on POSIX; Windows renames onto a name in use only when
// told to.
bool renameOver(const std::string& from, const std::string& to) {
#if defined(_WIN32)
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
  return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

}  // namespace

bool replaceFile(const std::string& path, const std::string& bytes) {
  std::string temporary = path + ".XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) return false;
  bool ok = true;
#if !defined(_WIN32)
  // mkstemp makes the file private; the book is as readable as any file the user makes.
  const mode_t mask = umask(0);
  umask(mask);
  ok = fchmod(fd, 0666 & ~mask) == 0;
#endif
  std::FILE* out = fdopen(fd, "wb");
  if (!out) close(fd);
  ok = ok && out && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  ok = (!out || std::fclose(out) == 0) && ok;
  ok = ok && renameOver(temporary, path);
  if (!ok) std::remove(temporary.c_str());
  return ok;
}
