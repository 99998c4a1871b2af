// Talks to a running velmar executable the way a GUI does: commands in through one pipe,
// replies out through another, every wait bounded by a time-out.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <chrono>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

// The engine under test: this build's, or the one VELMAR_TEST_ENGINE names (another build's
// engine, under an emulator: a Windows engine under Wine).
inline const char* testEngine() {
  const char* named = std::getenv("VELMAR_TEST_ENGINE");
  return named && *named ? named : VELMAR_BINARY;
}

// Set when the engine under test is a Windows build under Wine: the Wine prefix it runs in,
// whose drive_c is its C: drive.
inline const char* winePrefix() {
  const char* prefix = std::getenv("VELMAR_WINEPREFIX");
  return prefix && *prefix ? prefix : nullptr;
}

// Sanitizer builds, and builds whose engine runs under an emulator, are several times slower;
// time limits scale with them.
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__) || defined(VELMAR_TESTS_EMULATED)
inline const int SlowBuildFactor = 5;
#else
inline const int SlowBuildFactor = std::getenv("VELMAR_TEST_ENGINE") ? 5 : 1;
#endif

class EnginePipe {
 public:
  using Clock = std::chrono::steady_clock;

  // Standard error stays the test's, so sanitizer reports show in the test log. The engine gets
  // `args` as its command line and runs in `dir` when one is given.
  explicit EnginePipe(const std::vector<std::string>& args = {}, const std::string& dir = "") {
    signal(SIGPIPE, SIG_IGN);  // an engine that died must fail the test, not end it
    int toEngine[2], fromEngine[2];
    // Close-on-exec, so that a second engine started later does not hold this one's input open.
    if (pipe2(toEngine, O_CLOEXEC) != 0 || pipe2(fromEngine, O_CLOEXEC) != 0) return;
    std::vector<char*> argv{const_cast<char*>(testEngine())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
      dup2(toEngine[0], 0);
      dup2(fromEngine[1], 1);
      for (int fd : {toEngine[0], toEngine[1], fromEngine[0], fromEngine[1]}) close(fd);
      if (!dir.empty() && chdir(dir.c_str()) != 0) _exit(126);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(toEngine[0]);
    close(fromEngine[1]);
    in_ = toEngine[1];
    out_ = fromEngine[0];
    fcntl(in_, F_SETFL, O_NONBLOCK);
    fcntl(out_, F_SETFL, O_NONBLOCK);
  }
  EnginePipe(const EnginePipe&) = delete;
  EnginePipe& operator=(const EnginePipe&) = delete;
  ~EnginePipe() {
    waitExit(5000);
    close(out_);
  }

  // Writes it all; while the engine's input is full its output is read, so that neither side
  // can block the other. False when the engine no longer reads.
  bool send(const std::string& text, int timeoutMs = 10000) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (size_t done = 0; done < text.size();) {
      const ssize_t n = in_ < 0 ? -1 : write(in_, text.data() + done, text.size() - done);
      if (n > 0) {
        done += size_t(n);
      } else if ((n < 0 && errno != EAGAIN) || Clock::now() > deadline) {
        return false;
      } else {
        pollfd fds[2] = {{in_, POLLOUT, 0}, {out_, POLLIN, 0}};
        poll(fds, 2, 10);
        drain();
      }
    }
    return true;
  }

  // The next output line without its newline; none on time-out or at the end of the output.
  std::optional<std::string> readLine(int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      const size_t end = pending_.find('\n');
      if (end != std::string::npos) {
        std::string line = pending_.substr(0, end);
        pending_.erase(0, end + 1);
        transcript += line + '\n';
        return line;
      }
      const int64_t left = msLeft(deadline);
      if (left <= 0) return std::nullopt;
      pollfd fd{out_, POLLIN, 0};
      poll(&fd, 1, int(left));
      if (!drain() && pending_.find('\n') == std::string::npos) return std::nullopt;
    }
  }

  // Reads up to the first line that begins with `prefix` and returns it; none on time-out. The
  // lines read, that one included, are added to `passed`.
  std::optional<std::string> waitFor(const std::string& prefix, int timeoutMs,
                                     std::vector<std::string>* passed = nullptr) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      const int64_t left = msLeft(deadline);
      std::optional<std::string> line = readLine(int(left > 0 ? left : 0));
      if (!line) return std::nullopt;
      if (passed) passed->push_back(*line);
      if (line->rfind(prefix, 0) == 0) return line;
    }
  }

  // Ends the engine's input (which reads as "quit") and waits for it to exit, keeping what it
  // still prints in the transcript. The exit code; -1 when it had to be killed or died of a signal.
  int waitExit(int timeoutMs) {
    if (in_ >= 0) close(in_);
    in_ = -1;
    if (pid_ <= 0 || exitCode_) return exitCode_.value_or(-1);
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) != pid_) {
      if (Clock::now() > deadline) kill(pid_, SIGKILL);
      drain();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    drain();
    transcript += pending_;
    pending_.clear();
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return *exitCode_;
  }

  std::string transcript;  // every line read so far; at exit also what came after

 private:
  static int64_t msLeft(Clock::time_point deadline) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  }

  // Reads what is there; false at the end of the output.
  bool drain() {
    char buffer[65536];
    for (;;) {
      const ssize_t n = read(out_, buffer, sizeof buffer);
      if (n <= 0) return n < 0 && (errno == EAGAIN || errno == EINTR);
      pending_.append(buffer, size_t(n));
    }
  }

  pid_t pid_ = -1;
  int in_ = -1, out_ = -1;
  std::optional<int> exitCode_;
  std::string pending_;
};

struct EngineRun {
  std::string output;
  int exitCode = -1;
};

// Runs the engine on a whole script, as a shell pipe would: its arguments split at blanks, in
// directory `dir` when one is given; what it printed and how it exited.
inline EngineRun runEngine(const std::string& input, const std::string& args = "", const std::string& dir = "") {
  std::istringstream words(args);
  std::vector<std::string> argv;
  for (std::string word; words >> word;) argv.push_back(word);
  EnginePipe engine(argv, dir);
  const int Minutes = 60000 * 10 * SlowBuildFactor;
  engine.send(input, Minutes);
  EngineRun run;
  run.exitCode = engine.waitExit(Minutes);
  run.output = engine.transcript;
  return run;
}

inline bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}
