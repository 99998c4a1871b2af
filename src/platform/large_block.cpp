#include "platform/large_block.h"

#include <cstdint>
#include <cstdlib>

#if defined(_WIN32)
#include <malloc.h>
#elif defined(__linux__)
#include <sys/mman.h>
#endif

namespace {

// Windows has no aligned_alloc: its aligned blocks come from, and go back to, their own pair.
void* alignedAllocate(size_t alignment, size_t bytes) {
#if defined(_WIN32)
  return _aligned_malloc(bytes, alignment);
#else
  return std::aligned_alloc(alignment, bytes);
#endif
}

}  // namespace

void LargeBlockFree::operator()(void* p) const {
#if defined(_WIN32)
  _aligned_free(p);
#else
  std::free(p);
#endif
}

LargeBlock allocateLarge(size_t bytes) {
  constexpr size_t HugePage = size_t{2} << 20;
  const size_t alignment = bytes >= HugePage ? HugePage : 64;
  // aligned_alloc wants a whole number of alignments.
  if (bytes == 0 || bytes > SIZE_MAX - alignment) return nullptr;
  const size_t rounded = (bytes + alignment - 1) & ~(alignment - 1);
  LargeBlock block(alignedAllocate(alignment, rounded));
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  // Advice only: where huge pages are off or scarce the block works all the same.
  if (block && alignment == HugePage) madvise(block.get(), rounded, MADV_HUGEPAGE);
#endif
  return block;
}
