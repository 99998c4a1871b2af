// A child process behind two pipes, read line by line with a deadline.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <deque>
#include <string>
#include <vector>

using SteadyTime = std::chrono::steady_clock::time_point;

struct Child {
  pid_t pid = -1;
  int toChild = -1;
  int fromChild = -1;
  std::string pending;  // bytes read past the last full line
  std::string tag;      // names the child in the trace
  std::deque<std::string> sent, read;  // the last lines each way, to show what preceded a failure
};

// When set, every line written and read goes to standard error with a time stamp.
extern bool traceLines;

// Splits a command at blanks; single or double quotes keep blanks inside one argument.
std::vector<std::string> splitCommand(const std::string& command);

// Starts argv[0] (looked up in PATH) in directory cwd (empty: ours). The child dies with us.
bool startChild(Child& c, const std::vector<std::string>& argv, const std::string& cwd);

// False when the child no longer reads (it exited or closed its input).
bool writeLine(Child& c, const std::string& line);

enum class ReadResult { Line, Timeout, Closed };

// Reads one line of whichever child speaks first (a null entry is skipped); `which` is its index.
ReadResult readLine(Child* const children[2], std::string& line, int& which, SteadyTime deadline);
ReadResult readLine(Child& c, std::string& line, SteadyTime deadline);

// Gives the child up to waitMs to exit, then kills it; tells how it ended ("exit status 1",
// "signal 11", "killed"). Harmless on a child that is not running.
std::string reapChild(Child& c, int waitMs);

// Starts n processes that only burn CPU, to play games on a loaded machine.
std::vector<pid_t> startLoad(int n);
void stopLoad(std::vector<pid_t>& pids);
