#include "search/thread.h"

#include <chrono>
#include <system_error>
#include <utility>

#include "search/think.h"

Thread::~Thread() { finish(); }

bool Thread::start() {
  if (started_) return false;
  try {
    thread_ = std::thread([this] { run(); });
  } catch (const std::system_error&) {
    return false;  // no thread: the engine answers everything but never searches
  }
  started_ = true;
  return true;
}

void Thread::finish() {
  terminate_.store(true, std::memory_order_relaxed);
  if (thread_.joinable()) thread_.join();
}

ThinkThread::ThinkThread() = default;

ThinkThread::~ThinkThread() {
  stopAndWait();
  handOff(std::string(), SearchLimits{});
  // The empty word makes run() return; joining here, before the context and the queues are
  // destroyed, means the thread can no longer be inside any of them.
  finish();
}

void ThinkThread::handOff(const std::string& word, const SearchLimits& limits) {
  std::lock_guard lock(mutex_);
  commandQueue_.push_back(word);
  limitsQueue_.push_back(limits);
  ++handedOffCount_;
  work_.notify_one();
}

void ThinkThread::stopAndWait() {
  if (!started()) return;  // nothing could ever finish
  std::unique_lock lock(mutex_);
  const uint64_t target = handedOffCount_;
  while (finishedCount_ < target) {
    // think() clears stopSearch as it starts, so a stop raised while the search was still
    // queued or setting up would be lost: raise it again until the search is seen to end.
    ctx_.stopRequested.store(true, std::memory_order_relaxed);
    ctx_.stopSearch.store(true, std::memory_order_relaxed);
    finished_.wait_for(lock, std::chrono::milliseconds(1));
  }
}

bool ThinkThread::searching() {
  if (searching_.load(std::memory_order_relaxed)) return true;
  std::lock_guard lock(mutex_);
  return finishedCount_ < handedOffCount_;
}

void ThinkThread::ponderHit() {
  // Under the lock the search thread takes a queued search with: a search already taken has set
  // `pondering` and this clears it; one still queued starts on the normal clock.
  std::lock_guard lock(mutex_);
  for (SearchLimits& limits : limitsQueue_) limits.ponder = false;
  ctx_.pondering.store(false, std::memory_order_relaxed);
}

void ThinkThread::run() {
  for (;;) {
    std::string word;
    SearchLimits limits;  // the defaults, should a word come without limits
    uint64_t number;
    {
      std::unique_lock lock(mutex_);
      work_.wait(lock, [this] { return !commandQueue_.empty() || terminating(); });
      // Only the newest word and limits count; older ones were overtaken before they started.
      for (; !commandQueue_.empty(); commandQueue_.pop_front()) word = std::move(commandQueue_.front());
      for (; !limitsQueue_.empty(); limitsQueue_.pop_front()) limits = std::move(limitsQueue_.front());
      number = handedOffCount_;
      if (word.empty()) {
        finishedCount_ = number;
        finished_.notify_all();
        return;
      }
      ctx_.stopSearch.store(false, std::memory_order_relaxed);
      ctx_.stopRequested.store(false, std::memory_order_relaxed);
      ctx_.pondering.store(limits.ponder, std::memory_order_relaxed);
      searching_.store(true, std::memory_order_relaxed);
    }
    think(ctx_, limits);  // prints the "info" lines and "bestmove"
    {
      std::lock_guard lock(mutex_);
      searching_.store(false, std::memory_order_relaxed);
      finishedCount_ = number;
    }
    finished_.notify_all();
  }
}
