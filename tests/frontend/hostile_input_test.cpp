// Careless or hostile use through the pipes: commands in mid-search, files that never end or
// never open, lines without end (a memory limit is the memory-limit test's). The engine answers
// with its own messages or not at all, and keeps going.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "frontend/engine_pipe.h"
#include "frontend/uci.h"
#include "temp_dir.h"

namespace {

const int Wait = 10000 * SlowBuildFactor;

// Reads up to the line `expected`; false when it does not come in time.
bool replies(EnginePipe& engine, const std::string& expected) {
  const auto line = engine.waitFor(expected, Wait);
  return line && *line == expected;
}

}  // namespace

TEST(HostileInput, CommandsInMidSearchWaitForIt) {
  const TempDir scratch;
  const std::string& dir = scratch.path();
  scratch.write("values.txt", "KnightValueCP = 600\n");
  EnginePipe engine({}, dir);
  // Each stops the infinite search before "readyok": "swap" flips the board it plays on, a piece
  // value changes how it counts material. The board's count follows (White is a knight up).
  const std::pair<const char*, const char*> cases[] = {
      {"swap", "dmat = -325"}, {"setoption name KnightValueCP value 400", "dmat = 400"}, {"loadpers values.txt", "dmat = 600"}};
  for (const auto& [command, material] : cases) {
    ASSERT_TRUE(engine.send("position fen rnbqkb1r/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1\ngo infinite\n"));
    ASSERT_TRUE(engine.waitFor("info depth 2", Wait)) << command;
    ASSERT_TRUE(engine.send(std::string(command) + "\nisready\ndump\n"));
    std::vector<std::string> lines;
    ASSERT_TRUE(engine.waitFor("readyok", Wait, &lines)) << command << "\n" << engine.transcript;
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("bestmove", 0) == 0; }))
        << command << "\n" << engine.transcript;
    EXPECT_TRUE(replies(engine, material)) << command << "\n" << engine.transcript;
  }
  EXPECT_EQ(engine.waitExit(Wait), 0);
}

TEST(HostileInput, FilesThatNeverEndOrNeverOpenAreRefused) {
  const TempDir scratch;
  const std::string& dir = scratch.path();
  std::filesystem::create_directories(dir + "/folder");
  for (const char* fifo : {"/velmar.vbk", "/fifo"}) ASSERT_EQ(mkfifo((dir + fifo).c_str(), 0600), 0);
  std::vector<std::string> names = {"/dev/zero", "fifo", "folder"};
  // Windows's own devices, and a named pipe no one serves, for a Windows engine.
  if (winePrefix()) names.insert(names.end(), {"NUL", "CON", "\\\\.\\pipe\\velmar-none"});
  std::vector<std::string> args;
  for (const std::string& name : names) args.insert(args.end(), {"-personality", name});
  EnginePipe engine(args, dir);
  ASSERT_TRUE(replies(engine, "opening book not found"));
  for (const std::string& name : names) EXPECT_TRUE(replies(engine, "failed to load personality " + name));
  for (const std::string& name : names) {
    ASSERT_TRUE(engine.send("loadpers " + name + "\nsetoption name PersonalityFile value " + name + "\n"));
    EXPECT_TRUE(replies(engine, "error loading personality <= `" + name + "'"));
    EXPECT_TRUE(replies(engine, "info string personality file not found " + name));
  }
  ASSERT_TRUE(engine.send("savepers fifo\nsavepers folder\nsavepers NUL\nisready\n"));
  EXPECT_TRUE(replies(engine, "error saving personality => `fifo'"));
  EXPECT_TRUE(replies(engine, "error saving personality => `folder'"));
  if (winePrefix()) {
    EXPECT_TRUE(replies(engine, "error saving personality => `NUL'"));
  }
  EXPECT_TRUE(replies(engine, "readyok"));
  EXPECT_EQ(engine.waitExit(Wait), 0);
}

TEST(HostileInput, OverlongLinesTakeBoundedMemoryAndAreIgnored) {
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  const size_t lengths[] = {MaxLineBytes, MaxLineBytes + 1, 8 * MaxLineBytes};
  for (const size_t length : lengths) {
    std::string line = "go";
    while (line.size() < length) line += " a";
    line.resize(length);
    std::fputs((line + "\n").c_str(), f);
  }
  std::fputs("isready\nquit", f);
  std::rewind(f);
  std::string line;
  for (const size_t length : lengths) {
    ASSERT_TRUE(readLine(f, line));
    EXPECT_EQ(line.size(), length <= MaxLineBytes ? length : 0);
    EXPECT_LE(line.capacity(), 2 * MaxLineBytes);
  }
  ASSERT_TRUE(readLine(f, line) && line == "isready");
  ASSERT_TRUE(readLine(f, line) && line == "quit");  // the last line needs no newline
  EXPECT_FALSE(readLine(f, line));
  std::fclose(f);
}
