// The search thread: the command loop hands it a "go" and goes back to reading input at once;
// the thread runs one search at a time on the engine's one SearchContext.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "search/context.h"
#include "search/limits.h"

// An OS thread that runs the object's virtual run(). A derived class whose run() uses its own
// members must call finish() in its destructor, before those members go away.
class Thread {
 public:
  Thread() = default;
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;
  virtual ~Thread();

  // Creates the thread once; false (and nothing changes) when it was already started.
  virtual bool start();

 protected:
  virtual void run() {}
  // Sets the terminate flag and joins the thread; a no-op when it never started or has been
  // joined. run() is expected to be on its way out: nothing here forces it.
  void finish();
  bool terminating() const { return terminate_.load(std::memory_order_relaxed); }
  bool started() const { return started_; }

 private:
  std::thread thread_;
  bool started_ = false;
  std::atomic<bool> terminate_{false};
};

// The engine object: owns the SearchContext and the thread that searches it.
//
// The command loop may touch the context (position, tables, evaluator) only after stopAndWait()
// and before the next handOff(); in between, the search thread alone owns it, except for the
// flags stopSearch and pondering.
class ThinkThread : public Thread {
 public:
  ThinkThread();
  // Stops a running search (its "bestmove" is printed), ends the thread and joins it.
  ~ThinkThread() override;

  SearchContext& context() { return ctx_; }

  // Queues a command word with a copy of the limits and wakes the thread; never waits for it.
  // A non-empty word starts a search, an empty one ends the thread.
  void handOff(const std::string& word, const SearchLimits& limits);
  // Returns once no handed-off search is left: a running one is told to stop and has printed
  // its "bestmove", a queued one has been run (and stopped) first. At once when idle.
  void stopAndWait();
  // A search has been handed off and has not finished yet.
  bool searching();
  // "ponderhit": from now on the search's clock counts; never blocks.
  void ponderHit();

 protected:
  void run() override;

 private:
  std::mutex mutex_;  // guards the queues and the search counters below
  SearchContext ctx_;
  std::deque<std::string> commandQueue_;
  std::deque<SearchLimits> limitsQueue_;
  std::condition_variable work_;      // something was queued
  std::condition_variable finished_;  // finishedCount_ advanced

  // Searches are numbered in hand-off order. A drain acts only on the newest entry, so the
  // search it runs finishes every number handed off before it: stopAndWait waits for the
  // number that stood when it was called, never for a signal some earlier search left behind.
  uint64_t handedOffCount_ = 0;
  uint64_t finishedCount_ = 0;
  std::atomic<bool> searching_{false};  // inside think()
};
