#include "platform/regular_file.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#if defined(_WIN32)

// A GUI sends file names as bytes: UTF-8 where they are valid UTF-8, else the ANSI code page.
std::wstring widePath(const char* path) {
  for (UINT codePage : {UINT(CP_UTF8), UINT(CP_ACP)}) {
    const DWORD flags = codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    const int n = MultiByteToWideChar(codePage, flags, path, -1, nullptr, 0);
    if (n <= 0) continue;
    std::wstring wide(size_t(n), L'\0');
    if (MultiByteToWideChar(codePage, flags, path, -1, wide.data(), n) != n) continue;
    wide.pop_back();  // the terminating NUL
    return wide;
  }
  return std::wstring();
}

// CreateFile opens a directory only when asked to, and never waits on a named pipe (a busy one
// is refused); NUL, CON and pipes are then told from files by their type.
std::FILE* openRegular(const char* path, bool write) {
  const std::wstring wide = widePath(path);
  if (wide.empty()) return nullptr;
  const HANDLE h = CreateFileW(wide.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               write ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  BY_HANDLE_FILE_INFORMATION info;
  // A name that turns out not to be a regular file is left as it was: truncation comes after.
  if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (write && !SetEndOfFile(h))) {
    CloseHandle(h);
    return nullptr;
  }
  const int fd = _open_osfhandle(intptr_t(h), (write ? _O_WRONLY : _O_RDONLY) | _O_BINARY);
  if (fd < 0) {
    CloseHandle(h);
    return nullptr;
  }
  std::FILE* f = _fdopen(fd, write ? "wb" : "rb");
  if (!f) _close(fd);
  return f;
}

#else

// O_NONBLOCK keeps the open itself from waiting on a pipe; once the file is known to be
// regular the flag is dropped again. No O_TRUNC: a name that turns out not to be a regular file
// is left as it was.
std::FILE* openRegular(const char* path, bool write) {
  const int flags = write ? O_WRONLY | O_CREAT : O_RDONLY;
  const int fd = ::open(path, flags | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || ::fcntl(fd, F_SETFL, 0) != 0 ||
      (write && ::ftruncate(fd, 0) != 0)) {
    ::close(fd);
    return nullptr;
  }
  std::FILE* f = ::fdopen(fd, write ? "wb" : "rb");
  if (!f) ::close(fd);
  return f;
}

#endif

}  // namespace

std::FILE* openRegularFileToRead(const char* path) { return openRegular(path, false); }

std::FILE* openRegularFileToWrite(const char* path) { return openRegular(path, true); }

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
