// Memory for the big tables the search scatters its probes over (the transposition table, the
// evaluation's caches): a block of at least 2 MB starts on a 2 MB boundary and, on Linux, is
// offered to the kernel for huge pages, so that those probes miss the TLB far less often.
#pragma once

#include <cstddef>
#include <memory>

struct LargeBlockFree {
  void operator()(void* p) const;
};
using LargeBlock = std::unique_ptr<void, LargeBlockFree>;

// Uninitialised, aligned to 64 bytes at least; null when the memory is refused.
LargeBlock allocateLarge(size_t bytes);
