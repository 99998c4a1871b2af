// Careless or hostile use through the pipes: commands in mid-search, files that never end or
// never open, a memory limit. The engine answers with its own messages or not at all, and keeps
// going.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "frontend/engine_pipe.h"
#include "frontend/uci.h"

namespace {

constexpr int Wait = 10000 * SlowBuildFactor;

// A directory of its own (other checkouts may be testing at the same time), with a sub-folder.
struct ScratchDir {
  ScratchDir() {
    path = testing::TempDir() + "velmar-hostile-XXXXXX";
    if (mkdtemp(path.data())) std::filesystem::create_directories(path + "/folder");
  }
  ~ScratchDir() { std::filesystem::remove_all(path); }
  std::string path;
};

// Reads up to the line `expected`; false when it does not come in time.
bool replies(EnginePipe& engine, const std::string& expected) {
  const auto line = engine.waitFor(expected, Wait);
  return line && *line == expected;
}

}  // namespace

TEST(HostileInput, CommandsInMidSearchWaitForIt) {
  const ScratchDir scratch;
  const std::string& dir = scratch.path;
  std::ofstream(dir + "/values.txt") << "KnightValueCP = 600\n";
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
  const ScratchDir scratch;
  const std::string& dir = scratch.path;
  for (const char* fifo : {"/velmar.vbk", "/fifo"}) ASSERT_EQ(mkfifo((dir + fifo).c_str(), 0600), 0);
  const std::vector<std::string> names = {"/dev/zero", "fifo", "folder"};
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
  ASSERT_TRUE(engine.send("savepers fifo\nsavepers folder\nisready\n"));
  EXPECT_TRUE(replies(engine, "error saving personality => `fifo'"));
  EXPECT_TRUE(replies(engine, "error saving personality => `folder'"));
  EXPECT_TRUE(replies(engine, "readyok"));
  EXPECT_EQ(engine.waitExit(Wait), 0);
}

TEST(HostileInput, HashTheMemoryCannotHoldKeepsAWorkingTable) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__) || defined(VELMAR_TESTS_EMULATED)
  GTEST_SKIP() << "the sanitizers' shadow memory, and an emulator's own, do not run under an address-space limit";
#endif
  EnginePipe engine({}, "", 256);
  ASSERT_TRUE(engine.send("setoption name Hash value 1024\n"));
  const auto reply = engine.waitFor("info string Hash table of 1024 MB cannot be had, size set to ", Wait);
  ASSERT_TRUE(reply) << engine.transcript;
  const int megabytes = std::atoi(reply->c_str() + 61);
  EXPECT_GE(megabytes, 4);
  EXPECT_LT(megabytes, 256);
  // The table is there: a search fills some of it.
  ASSERT_TRUE(engine.send("go depth 10\n"));
  std::vector<std::string> lines;
  ASSERT_TRUE(engine.waitFor("bestmove", Wait, &lines));
  EXPECT_EQ(lines[lines.size() - 2].find("hashfull 0"), std::string::npos) << lines[lines.size() - 2];
  // A size that fits is set as asked.
  ASSERT_TRUE(engine.send("setoption name Hash value 8\n"));
  EXPECT_TRUE(replies(engine, "info string Hash table size set to 8 MB"));
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
