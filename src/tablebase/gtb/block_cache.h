// Decoded blocks kept for reuse, least recently used first out. All memory is taken when the
// cache is made; finding, using and replacing a block allocates nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "tablebase/gtb/block.h"

namespace gtb {

class BlockCache {
 public:
  explicit BlockCache(size_t units);

  // The values of block `block` of `ending`, or nullptr when it is not held.
  const Dtm* find(int ending, uint32_t block);

  // The storage of the least recently used unit, now claimed for (ending, block); the caller
  // fills it at once (blocks are claimed only once they have decoded).
  Dtm* claim(int ending, uint32_t block);

  size_t units() const { return keys.size(); }

 private:
  static constexpr uint64_t Empty = ~uint64_t(0);
  static uint64_t keyOf(int ending, uint32_t block) { return uint64_t(ending) << 32 | block; }
  size_t bucketOf(uint64_t key) const;
  void unlinkBucket(size_t unit);
  void touch(size_t unit);

  std::unique_ptr<Dtm[]> values;  // units x BlockPositions, left untouched until used
  std::vector<uint64_t> keys;    // per unit
  std::vector<int32_t> newer, older;  // the recency list
  std::vector<int32_t> chain;    // next unit in the same hash bucket
  std::vector<int32_t> buckets;  // first unit of each bucket
  int32_t newest = -1, oldest = -1;
};

}  // namespace gtb
