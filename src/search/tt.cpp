#include "search/tt.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

#include "search/score.h"

bool TranspositionTable::resize(int megabytes) {
  const uint64_t target = uint64_t(std::max(megabytes, 0)) * 16384;
  uint64_t count = 1;
  while (count < target) count <<= 1;
  if (count == bucketCount_) return true;
  // A size the bucket count or the address space cannot express (beyond 2 GB in the 32-bit
  // build) is refused outright, and the table stays as it is.
  if (count > UINT32_MAX / 2 || count > (SIZE_MAX >> 1) / sizeof(TTBucket)) return false;
  // The new table is taken while the old one still stands, so that a failure leaves a working
  // table; failing that, the old one makes room, and then the largest size that fits is kept.
  if (allocate(count)) return true;
  allocation_.reset();
  table_ = nullptr;
  bucketCount_ = 0;
  if (allocate(count)) return true;
  for (uint32_t smaller = count >> 1; smaller > 0 && !allocate(smaller); smaller >>= 1) {
  }
  return false;
}

bool TranspositionTable::allocate(uint64_t count) {
  // Each bucket is one cache line.
  LargeBlock block = allocateLarge(size_t(count) * sizeof(TTBucket));
  if (!block) return false;
  allocation_ = std::move(block);
  table_ = static_cast<TTBucket*>(allocation_.get());
  bucketCount_ = uint32_t(count);
  clear();
  return true;
}

int TranspositionTable::megabytes() const { return int((uint64_t(bucketCount_) * sizeof(TTBucket)) >> 20); }

void TranspositionTable::clear() {
  if (bucketCount_) std::memset(static_cast<void*>(table_), 0, size_t(bucketCount_) * sizeof(TTBucket));
  used_ = 0;
  generation_ = 0;
}

void TranspositionTable::newSearch() {
  ++generation_;
  used_ = 0;
}

const TTEntry* TranspositionTable::probe(uint64_t key) const {
  if (!bucketCount_) return nullptr;
  const TTBucket& bucket = table_[key & (bucketCount_ - 1)];
  for (const TTEntry& e : bucket.entries)
    if (e.key == key) return &e;
  return nullptr;
}

void TranspositionTable::store(uint64_t key, int ply, int depth, Bound bound, int score, Move move) {
  if (!bucketCount_) return;
  const uint8_t g = uint8_t((generation_ * 4) & 252);
  auto generationOf = [](const TTEntry& e) { return uint8_t(e.flags & 252); };
  TTBucket& bucket = table_[key & (bucketCount_ - 1)];

  TTEntry* target = nullptr;
  for (TTEntry& e : bucket.entries) {
    if (e.bound() == BoundEmpty || e.key == key) {
      target = &e;
      break;
    }
  }
  uint32_t word = moveWord(move);
  if (target) {
    if (isNullMove(move) && target->key == key) word = target->move;  // keep the move we had
  } else {
    // An older generation goes first; within a generation the shallowest entry.
    target = &bucket.entries[0];
    for (TTEntry& e : bucket.entries) {
      const bool candidateCurrent = generationOf(*target) == g;
      const bool entryCurrent = generationOf(e) == g;
      if (candidateCurrent ? (!entryCurrent || e.depth < target->depth) : (!entryCurrent && e.depth < target->depth))
        target = &e;
    }
  }
  if (target->bound() == BoundEmpty || generationOf(*target) != g) ++used_;
  target->key = key;
  target->flags = uint8_t(g | bound);
  target->depth = int8_t(depth);
  target->score = int16_t(scoreToTable(score, ply));
  target->move = word;
}

int TranspositionTable::hashfull() const {
  if (!bucketCount_) return 0;
  return int(std::min<uint64_t>(1000, uint64_t(used_) * 1000 / (uint64_t(bucketCount_) * 4)));
}

int scoreToTable(int score, int ply) {
  if (score >= TableMateBound) return score + ply;
  if (score < -(TableMateBound - 1)) return score - ply;
  return score;
}

int scoreFromTable(int score, int ply) {
  if (score >= TableMateBound) return score - ply;
  if (score < -(TableMateBound - 1)) return score + ply;
  return score;
}
