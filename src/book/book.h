// The opening book: moves for known positions, keyed by the reference board's hash, read once
// at start-up from a little-endian file and played without searching.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "board/refgen.h"

struct BookEntry {
  uint32_t move;  // bits 0-5 from-square, bits 6-11 to-square
  int16_t value;  // negative: never played; otherwise only its sign matters
};

struct OpeningBook {
  std::map<uint64_t, std::vector<BookEntry>> positions;
  int size() const { return int(positions.size()); }
};

// Fills the book from a regular file; what was read before a short read stays. A missing file,
// or a name that is no regular file, leaves the book empty.
void loadBook(OpeningBook& book, const char* path);
// The same from an open file.
void readBook(OpeningBook& book, std::FILE* file);

// Index in `moves` of a book move for the position with this reference-board key, or -1.
int probeBook(const OpeningBook& book, uint64_t key, const RefMove* moves, int count);

// The file format, for writers: N, then per position the key, M and M entries.
void appendBookRecord(std::string& out, uint64_t key, const std::vector<BookEntry>& entries);
std::string bookFileBytes(const std::map<uint64_t, std::vector<BookEntry>>& positions);

// The process-wide book the command loop plays from.
OpeningBook& engineBook();
