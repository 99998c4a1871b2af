// The engine playing from its book: a timed "go" in a book position answers at once with a book
// move, other searches search, and the default book opens with a main first move.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "book/book.h"
#include "book/book_moves.h"
#include "frontend/engine_pipe.h"
#include "temp_dir.h"

// Each "go" waits for its "bestmove" before the next command: a book answer comes alone, a
// search says "info depth" first, whatever move it then chooses.
TEST(BookPlay, GoPlaysFromTheBookOnlyWhenTimedUnrestrictedAndAllowed) {
  const TempDir scratch;
  const std::string& dir = scratch.path();
  std::map<uint64_t, std::vector<BookEntry>> positions;
  positions[startKey()] = {{fromTo("b1a3"), 1}};
  scratch.write("velmar.vbk", bookFileBytes(positions));
  EnginePipe engine({}, dir);  // the engine reads velmar.vbk where it starts
  const struct {
    const char* commands;
    bool fromBook;
  } cases[] = {
      {"position startpos\ngo wtime 60000 btime 60000\n", true},
      {"go wtime 60000 btime 60000 searchmoves a2a3\n", false},  // a book move need not be among them
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

TEST(BookPlay, DefaultBookPlaysAMainFirstMove) {
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
