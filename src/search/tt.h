// The transposition table: 64-byte buckets of four entries, keyed by the position's hash.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/large_block.h"
#include "board/move.h"

enum Bound : uint8_t { BoundEmpty = 0, BoundExact = 1, BoundUpper = 2, BoundLower = 3 };

struct TTEntry {
  uint64_t key;
  uint32_t move;   // Move word, 0 = none
  int16_t score;   // mate scores relative to this position
  uint8_t flags;   // bits 0-1 bound, bits 2-7 generation modulo 64
  int8_t depth;    // whole plies; 0 and -1 for quiescence results

  Bound bound() const { return Bound(flags & 3); }
  Move bestMove() const { return wordMove(move); }
};
static_assert(sizeof(TTEntry) == 16);

struct TTBucket {
  TTEntry entries[4];
};
static_assert(sizeof(TTBucket) == 64);

class TranspositionTable {
 public:
  TranspositionTable() = default;
  TranspositionTable(const TranspositionTable&) = delete;
  TranspositionTable& operator=(const TranspositionTable&) = delete;

  // Megabytes to the next power of two of buckets; keeps the contents when the size is unchanged.
  // False when that much memory cannot be had: the table then keeps the largest size that fits
  // (the old one, when nothing larger does).
  bool resize(int megabytes);
  int megabytes() const;
  void clear();
  void newSearch();
  // The entry holding the key, or none; the caller tests bound, depth and corrects the score.
  const TTEntry* probe(uint64_t key) const;
  // Starts loading the key's bucket, for a probe soon after (as a child's, once its key is known).
  void prefetch(uint64_t key) const {
    if (bucketCount_) __builtin_prefetch(&table_[key & (bucketCount_ - 1)]);
  }
  void store(uint64_t key, int ply, int depth, Bound bound, int score, Move move);
  int hashfull() const;

  uint32_t bucketCount() const { return bucketCount_; }
  uint32_t generation() const { return generation_; }

 private:
  bool allocate(uint64_t count);  // replaces the table, cleared, unless the memory is refused

  TTBucket* table_ = nullptr;
  LargeBlock allocation_;
  uint32_t bucketCount_ = 0;
  uint32_t used_ = 0;
  uint32_t generation_ = 0;
};


// Mate scores travel in the table relative to the position they belong to.
int scoreToTable(int score, int ply);
int scoreFromTable(int score, int ply);
