#include "book/book.h"

#include <cstdio>
#include <memory>

#include "board/prng.h"
#include "platform/regular_file.h"

namespace {

bool readBytes(std::FILE* f, uint8_t* out, size_t n) { return std::fread(out, 1, n, f) == n; }

uint64_t littleEndian(const uint8_t* p, int bytes) {
  uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

void putLittleEndian(std::string& out, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out += char((v >> (8 * i)) & 0xFF);
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

void loadBook(OpeningBook& book, const char* path) {
  // A pipe or a device named velmar.vbk must not hold up start-up.
  std::unique_ptr<std::FILE, FileCloser> file(openRegularFileToRead(path));
  if (file) readBook(book, file.get());
}

void readBook(OpeningBook& book, std::FILE* file) {
  book.positions.clear();
  uint8_t word[8];
  if (!readBytes(file, word, 4)) return;
  const int32_t n = int32_t(littleEndian(word, 4));
  // Counts are promises the file may not keep: read record by record, stop at the first short read.
  for (int32_t i = 0; i < n; ++i) {
    if (!readBytes(file, word, 8)) return;
    const uint64_t key = littleEndian(word, 8);
    if (!readBytes(file, word, 4)) return;
    const int32_t m = int32_t(littleEndian(word, 4));
    for (int32_t j = 0; j < m; ++j) {
      if (!readBytes(file, word, 8)) return;
      book.positions[key].push_back(BookEntry{uint32_t(littleEndian(word, 4)), int16_t(littleEndian(word + 4, 2))});
    }
  }
}

int probeBook(const OpeningBook& book, uint64_t key, const RefMove* moves, int count) {
  const auto it = book.positions.find(key);
  if (it == book.positions.end()) return -1;
  const std::vector<BookEntry>& entries = it->second;
  // Every playable entry is equally likely; a miss (collision, stale move) just draws again.
  for (int attempt = 0; attempt < 32; ++attempt) {
    const BookEntry& e = entries[size_t(random15()) % entries.size()];
    if (e.value < 0) continue;
    const int from = int(e.move & 63), to = int((e.move >> 6) & 63);
    for (int i = 0; i < count; ++i)
      if (packedFrom(moves[i].packed) == from && packedTo(moves[i].packed) == to) return i;
  }
  return -1;
}

void appendBookRecord(std::string& out, uint64_t key, const std::vector<BookEntry>& entries) {
  putLittleEndian(out, key, 8);
  putLittleEndian(out, uint32_t(entries.size()), 4);
  for (const BookEntry& e : entries) {
    putLittleEndian(out, e.move, 4);
    putLittleEndian(out, uint16_t(e.value), 2);
    putLittleEndian(out, 0, 2);
  }
}

std::string bookFileBytes(const std::map<uint64_t, std::vector<BookEntry>>& positions) {
  std::string out;
  putLittleEndian(out, uint32_t(positions.size()), 4);
  for (const auto& [key, entries] : positions) appendBookRecord(out, key, entries);
  return out;
}

OpeningBook& engineBook() {
  static OpeningBook book;
  return book;
}
