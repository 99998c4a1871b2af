// Runs the velmar executable on a scripted input and returns what it printed.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

struct EngineRun {
  std::string output;
  int exitCode = -1;
};

// Runs the engine with the given command-line arguments, in directory `dir` when one is given.
inline EngineRun runEngine(const std::string& input, const std::string& args = "", const std::string& dir = "") {
  char path[] = "/tmp/velmar-input-XXXXXX";
  const int fd = mkstemp(path);
  EngineRun run;
  if (fd < 0) return run;
  if (write(fd, input.data(), input.size()) != ssize_t(input.size())) return run;
  close(fd);
  std::string command = std::string(VELMAR_BINARY) + " " + args + " < " + path;
  if (!dir.empty()) command = "cd '" + dir + "' && " + command;
  std::FILE* pipe = popen(command.c_str(), "r");
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
  const int status = pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  unlink(path);
  return run;
}

inline bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}
