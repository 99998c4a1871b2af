#include "board/large_block.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

LargeBlock allocateLarge(size_t bytes) {
  constexpr size_t HugePage = size_t{2} << 20;
  const size_t alignment = bytes >= HugePage ? HugePage : 64;
  // aligned_alloc wants a whole number of alignments.
  if (bytes == 0 || bytes > SIZE_MAX - alignment) return nullptr;
  const size_t rounded = (bytes + alignment - 1) & ~(alignment - 1);
  LargeBlock block(std::aligned_alloc(alignment, rounded));
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  // Advice only: where huge pages are off or scarce the block works all the same.
  if (block && alignment == HugePage) madvise(block.get(), rounded, MADV_HUGEPAGE);
#endif
  return block;
}
