#include "child.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

bool traceLines = false;

namespace {

// Keeps the line for a failure report and, with --trace, prints it. What was sent is kept whole
// (a position command reproduces the failure); replies are cut.
void trace(Child& c, const char* direction, const std::string& line) {
  std::deque<std::string>& recent = direction[0] == '<' ? c.sent : c.read;
  recent.push_back(std::string(direction) + " " + (direction[0] == '<' ? line : line.substr(0, 160)));
  if (recent.size() > 4) recent.pop_front();
  if (!traceLines) return;
  static const auto origin = std::chrono::steady_clock::now();
  const auto us = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - origin);
  std::fprintf(stderr, "%10.3f %s %s %s\n", double(us.count()) / 1000, c.tag.c_str(), direction, line.c_str());
}

// Without this the child outlives a referee that is killed or stopped with Ctrl-C. The signal
// follows the thread that forked, so children are only started by threads that outlive them.
void dieWithParent(pid_t parent) {
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != parent) _exit(1);  // the parent died before the line above
}

}  // namespace

std::vector<std::string> splitCommand(const std::string& command) {
  std::vector<std::string> args;
  std::string arg;
  bool inArg = false;
  char quote = 0;
  for (char ch : command) {
    if (quote) {
      if (ch == quote)
        quote = 0;
      else
        arg += ch;
    } else if (ch == '"' || ch == '\'') {
      quote = ch;
      inArg = true;
    } else if (ch == ' ' || ch == '\t') {
      if (inArg) args.push_back(arg);
      arg.clear();
      inArg = false;
    } else {
      arg += ch;
      inArg = true;
    }
  }
  if (inArg) args.push_back(arg);
  return args;
}

bool startChild(Child& c, const std::vector<std::string>& argv, const std::string& cwd) {
  if (argv.empty()) return false;
  // Close-on-exec, so that a child started by another worker thread does not keep our pipe
  // ends open (that would hide the end of file when this child dies).
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0) return false;
  if (pipe2(out, O_CLOEXEC) != 0) {
    close(in[0]);
    close(in[1]);
    return false;
  }
  // A relative program path means one relative to our directory, not to the child's.
  std::string program = argv[0];
  char here[4096];
  if (program.find('/') != std::string::npos && program[0] != '/' && getcwd(here, sizeof here))
    program = std::string(here) + "/" + program;
  std::vector<char*> args{program.data()};
  for (size_t i = 1; i < argv.size(); ++i) args.push_back(const_cast<char*>(argv[i].c_str()));
  args.push_back(nullptr);
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) {
    dieWithParent(parent);
    dup2(in[0], 0);
    dup2(out[1], 1);
    if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(127);
    execvp(args[0], args.data());
    _exit(127);  // the referee sees the end of file and reports the engine as crashed
  }
  close(in[0]);
  close(out[1]);
  if (pid < 0) {
    close(in[1]);
    close(out[0]);
    return false;
  }
  c = Child{pid, in[1], out[0], {}, c.tag, {}, {}};
  return true;
}

bool writeLine(Child& c, const std::string& line) {
  if (c.toChild < 0) return false;
  trace(c, "<", line);
  const std::string text = line + "\n";
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(c.toChild, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;  // EPIPE: SIGPIPE is ignored by main
    done += size_t(n);
  }
  return true;
}

ReadResult readLine(Child* const children[2], std::string& line, int& which, SteadyTime deadline) {
  for (;;) {
    pollfd fds[2];
    int count = 0, index[2];
    for (int i = 0; i < 2; ++i) {
      Child* c = children[i];
      if (!c || c->fromChild < 0) continue;
      const size_t end = c->pending.find('\n');
      if (end != std::string::npos) {
        line = c->pending.substr(0, end);
        c->pending.erase(0, end + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        which = i;
        trace(*c, ">", line);
        return ReadResult::Line;
      }
      fds[count] = {c->fromChild, POLLIN, 0};
      index[count++] = i;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() < 0 || count == 0) return ReadResult::Timeout;
    // Rounded up to the next millisecond so that a deadline is never read before it passed.
    const int ready = poll(fds, nfds_t(count), int(left.count()) + 1);
    if (ready < 0 && errno != EINTR) return ReadResult::Timeout;
    for (int k = 0; k < count && ready > 0; ++k) {
      if (!fds[k].revents) continue;
      Child& c = *children[index[k]];
      char buffer[4096];
      const ssize_t n = read(c.fromChild, buffer, sizeof buffer);
      if (n > 0) {
        c.pending.append(buffer, size_t(n));
      } else if (n == 0 || errno != EINTR) {
        which = index[k];
        return ReadResult::Closed;
      }
    }
  }
}

ReadResult readLine(Child& c, std::string& line, SteadyTime deadline) {
  Child* const children[2] = {&c, nullptr};
  int which;
  return readLine(children, line, which, deadline);
}

std::string reapChild(Child& c, int waitMs) {
  if (c.toChild >= 0) close(c.toChild);
  if (c.fromChild >= 0) close(c.fromChild);
  std::string how = "not running";
  if (c.pid > 0) {
    int status = 0;
    pid_t done = waitpid(c.pid, &status, WNOHANG);
    for (int waited = 0; done == 0 && waited < waitMs; waited += 10) {
      usleep(10000);
      done = waitpid(c.pid, &status, WNOHANG);
    }
    if (done == 0) {
      kill(c.pid, SIGKILL);
      waitpid(c.pid, &status, 0);
      how = "killed";
    } else if (WIFEXITED(status)) {
      how = "exit status " + std::to_string(WEXITSTATUS(status));
    } else if (WIFSIGNALED(status)) {
      how = "signal " + std::to_string(WTERMSIG(status));
    }
  }
  c = Child{-1, -1, -1, {}, c.tag, {}, {}};
  return how;
}

std::vector<pid_t> startLoad(int n) {
  std::vector<pid_t> pids;
  const pid_t parent = getpid();
  for (int i = 0; i < n; ++i) {
    const pid_t pid = fork();
    if (pid == 0) {
      dieWithParent(parent);
      // The empty asm keeps the compiler from dropping the loop.
      for (unsigned long spin = 0;; ++spin) asm volatile("" : "+r"(spin));
    }
    if (pid > 0) pids.push_back(pid);
  }
  return pids;
}

void stopLoad(std::vector<pid_t>& pids) {
  for (pid_t pid : pids) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  pids.clear();
}
