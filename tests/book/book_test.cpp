// The opening book: the file format byte by byte and the probe's rules. (Short and damaged files
// are the book fuzzer's; the engine playing from the book is tests/frontend/book_play_test.cpp.)
#include <gtest/gtest.h>

#include <set>

#include "board/oldboard.h"
#include "board/refgen.h"
#include "board/test_positions.h"
#include "book/book.h"
#include "book/book_moves.h"
#include "temp_dir.h"

namespace {

OpeningBook loaded(const std::string& bytes) {
  const TempDir dir;
  OpeningBook book;
  loadBook(book, dir.write("book.vbk", bytes).c_str());
  return book;
}

std::string le(uint64_t v, int bytes) {
  std::string s;
  for (int i = 0; i < bytes; ++i) s += char(v >> (8 * i));
  return s;
}

// Which UCI moves a probe of the position returns over many draws.
std::set<std::string> drawn(const OpeningBook& book, const OldBoard& ob, int side) {
  RefMove moves[MaxRefMoves];
  const int n = generateMovesOld(ob, side, moves);
  std::set<std::string> seen;
  for (int i = 0; i < 400; ++i) {
    const int index = probeBook(book, ob.hash, moves, n);
    seen.insert(index < 0 ? "none" : packedToUci(moves[index].packed));
  }
  return seen;
}

}  // namespace

TEST(Book, RecordsMergeAndEmptyRecordsDoNotCount) {
  // Two records for the start position, one with M = 0 for another key.
  const std::string bytes = le(3, 4) + le(startKey(), 8) + le(1, 4) + le(fromTo("e2e4"), 4) + le(5, 2) + le(0, 2) +
                            le(12345, 8) + le(0, 4) + le(startKey(), 8) + le(1, 4) + le(fromTo("d2d4"), 4) +
                            le(1, 2) + le(0, 2);
  const OpeningBook book = loaded(bytes);
  EXPECT_EQ(book.size(), 1);
  ASSERT_EQ(book.positions.at(startKey()).size(), 2u);
  EXPECT_EQ(book.positions.at(startKey())[0].move, fromTo("e2e4"));
  OldBoard ob;
  resetOldBoard(ob);
  EXPECT_EQ(drawn(book, ob, White), (std::set<std::string>{"e2e4", "d2d4"}));
}

TEST(Book, NegativeValuesAreNeverPlayedAndZeroIs) {
  OldBoard ob;
  resetOldBoard(ob);
  std::map<uint64_t, std::vector<BookEntry>> positions;
  positions[startKey()] = {{fromTo("e2e4"), -1}};
  EXPECT_EQ(drawn(loaded(bookFileBytes(positions)), ob, White), std::set<std::string>{"none"});
  positions[startKey()] = {{fromTo("e2e4"), -1}, {fromTo("c2c4"), 0}};
  EXPECT_EQ(drawn(loaded(bookFileBytes(positions)), ob, White), std::set<std::string>{"c2c4"});
  // A move that is not legal here is passed over like a miss.
  positions[startKey()] = {{fromTo("e2e5"), 3}};
  EXPECT_EQ(drawn(loaded(bookFileBytes(positions)), ob, White), std::set<std::string>{"none"});
}

TEST(Book, PromotionEntryTakesTheFirstPromotionOfTheList) {
  OldBoard ob;
  Board b;
  const int side = readPosition("8/4P1k1/8/8/8/8/8/4K3 w - - 0 1", ob, b);
  std::map<uint64_t, std::vector<BookEntry>> positions;
  positions[ob.hash] = {{fromTo("e7e8"), 1}};
  RefMove moves[MaxRefMoves];
  const int n = generateMovesOld(ob, side, moves);
  int first = -1;
  for (int i = 0; i < n && first < 0; ++i)
    if (packedFrom(moves[i].packed) == E7 && packedTo(moves[i].packed) == E8) first = i;
  EXPECT_EQ(probeBook(loaded(bookFileBytes(positions)), ob.hash, moves, n), first);
}
