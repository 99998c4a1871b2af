// The opening book: the file format byte by byte, the probe's rules, and the "go" path through
// the executable. (Short and damaged files are the book fuzzer's.)
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include "board/oldboard.h"
#include "board/refgen.h"
#include "book/book.h"
#include "frontend/engine_pipe.h"
#include "temp_dir.h"

namespace {

uint32_t fromTo(const char* uci) {
  auto square = [](char file, char rank) { return uint32_t(8 * ('8' - rank) + (file - 'a')); };
  return square(uci[0], uci[1]) | square(uci[2], uci[3]) << 6;
}

uint64_t startKey() {
  OldBoard ob;
  resetOldBoard(ob);
  return ob.hash;
}

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
  resetOldBoard(ob);
  int side = White;
  ASSERT_TRUE(parseFen(ob, "8/4P1k1/8/8/8/8/8/4K3 w - - 0 1", &side, nullptr));
  std::map<uint64_t, std::vector<BookEntry>> positions;
  positions[ob.hash] = {{fromTo("e7e8"), 1}};
  RefMove moves[MaxRefMoves];
  const int n = generateMovesOld(ob, side, moves);
  int first = -1;
  for (int i = 0; i < n && first < 0; ++i)
    if (packedFrom(moves[i].packed) == E7 && packedTo(moves[i].packed) == E8) first = i;
  EXPECT_EQ(probeBook(loaded(bookFileBytes(positions)), ob.hash, moves, n), first);
}

// Each "go" waits for its "bestmove" before the next command: a book answer comes alone, a
// search says "info depth" first, whatever move it then chooses.
TEST(Book, GoPlaysFromTheBookOnlyWhenTimedAndAllowed) {
  const TempDir scratch;
  const std::string& dir = scratch.path();
  std::map<uint64_t, std::vector<BookEntry>> positions;
  positions[startKey()] = {{fromTo("b1a3"), 1}};
  scratch.write("velmar.vbk", bookFileBytes(positions));
  const std::filesystem::path testDir = std::filesystem::current_path();
  std::filesystem::current_path(dir);  // the engine reads velmar.vbk where it starts
  EnginePipe engine;
  std::filesystem::current_path(testDir);
  const struct {
    const char* commands;
    bool fromBook;
  } cases[] = {
      {"position startpos\ngo wtime 60000 btime 60000\n", true},
      {"go depth 2\n", false},
      {"go nodes 100\n", false},
      {"position startpos moves e2e4\ngo wtime 2000 btime 2000\n", false},  // not in the book
      {"setoption name OwnBook value false\nposition startpos\ngo wtime 1000 btime 1000\n", false},
  };
  for (const auto& c : cases) {
    std::vector<std::string> lines;
    ASSERT_TRUE(engine.send(c.commands)) << c.commands;
    const std::optional<std::string> best = engine.waitFor("bestmove ", 10000 * SlowBuildFactor, &lines);
    ASSERT_TRUE(best) << c.commands << engine.transcript;
    const bool searched =
        std::any_of(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("info depth", 0) == 0; });
    EXPECT_EQ(searched, !c.fromBook) << c.commands << engine.transcript;
    EXPECT_TRUE(!c.fromBook || *best == "bestmove b1a3") << *best;
  }
  EXPECT_EQ(engine.transcript.rfind("opening book: 1 positions\n", 0), 0u) << engine.transcript;
}

TEST(Book, DefaultBookPlaysAMainFirstMove) {
  const TempDir scratch;
  const std::string& dir = scratch.path();
  std::filesystem::copy_file(VELMAR_DEFAULT_BOOK, dir + "/velmar.vbk");
  const EngineRun run = runEngine("position startpos\ngo wtime 60000 btime 60000\nisready\n", "", dir);
  EXPECT_EQ(run.output.rfind("opening book: ", 0), 0u) << run.output;
  EXPECT_EQ(run.output.find("info"), std::string::npos) << run.output;
  const size_t at = run.output.find("bestmove ");
  ASSERT_NE(at, std::string::npos);
  // The book move is one of the main first moves, and legal.
  const std::string move = run.output.substr(at + 9, run.output.find('\n', at) - at - 9);
  EXPECT_TRUE(move == "e2e4" || move == "d2d4" || move == "c2c4" || move == "g1f3") << move;
}
