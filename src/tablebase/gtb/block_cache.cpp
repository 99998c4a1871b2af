#include "tablebase/gtb/block_cache.h"

namespace gtb {

BlockCache::BlockCache(size_t count) {
  if (count == 0) count = 1;
  values.reset(new Dtm[count * BlockPositions]);
  keys.assign(count, Empty);
  newer.resize(count);
  older.resize(count);
  chain.assign(count, -1);
  size_t bucketCount = 1;
  while (bucketCount < 2 * count) bucketCount <<= 1;
  buckets.assign(bucketCount, -1);
  // Every unit starts on the recency list, unit 0 the oldest.
  for (size_t i = 0; i < count; ++i) {
    older[i] = int32_t(i) - 1;
    newer[i] = i + 1 < count ? int32_t(i + 1) : -1;
  }
  oldest = 0;
  newest = int32_t(count - 1);
}

size_t BlockCache::bucketOf(uint64_t key) const {
  return size_t((key * 0x9E3779B97F4A7C15ull) >> 32) & (buckets.size() - 1);
}

const Dtm* BlockCache::find(int ending, uint32_t block) {
  const uint64_t key = keyOf(ending, block);
  for (int32_t u = buckets[bucketOf(key)]; u >= 0; u = chain[u])
    if (keys[u] == key) {
      touch(size_t(u));
      return &values[size_t(u) * BlockPositions];
    }
  return nullptr;
}

Dtm* BlockCache::claim(int ending, uint32_t block) {
  const size_t unit = size_t(oldest);
  if (keys[unit] != Empty) unlinkBucket(unit);
  const uint64_t key = keyOf(ending, block);
  keys[unit] = key;
  int32_t& head = buckets[bucketOf(key)];
  chain[unit] = head;
  head = int32_t(unit);
  touch(unit);
  return &values[unit * BlockPositions];
}

void BlockCache::unlinkBucket(size_t unit) {
  int32_t* link = &buckets[bucketOf(keys[unit])];
  while (*link >= 0 && *link != int32_t(unit)) link = &chain[*link];
  if (*link >= 0) *link = chain[unit];
  chain[unit] = -1;
}

void BlockCache::touch(size_t unit) {
  const int32_t u = int32_t(unit);
  if (newest == u) return;
  // Take the unit out of the list, then put it at the newest end.
  if (older[u] >= 0) newer[older[u]] = newer[u];
  else oldest = newer[u];
  if (newer[u] >= 0) older[newer[u]] = older[u];
  older[u] = newest;
  newer[u] = -1;
  newer[newest] = u;
  newest = u;
}

}  // namespace gtb
