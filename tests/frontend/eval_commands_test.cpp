// Evaluation commands through the executable: switches, personality files, the board dump, the
// mirror and the bitbase file. The hidden options' replies are with the other options'.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "frontend/engine_pipe.h"
#include "temp_dir.h"

TEST(EvalCommands, CommandLineSwitches) {
  const TempDir dir;
  dir.write("p.txt", "RookValueCP = 480\n");
  const EngineRun run = runEngine("savepers out.txt\n",
                                  "-skill 150 -PawnValueCP 5000 -Nothing 3 -personality p.txt -personality missing.txt -skill",
                                  dir.path());
  EXPECT_EQ(run.output,
            "opening book not found\n"
            "initial skill set to 100\n"
            "initial PawnValueCP set to 2000\n"
            "loaded personality p.txt\n"
            "failed to load personality missing.txt\n");
  std::ifstream saved(dir.file("out.txt"));
  std::string line;
  std::getline(saved, line);
  EXPECT_EQ(line.substr(0, 33), "PawnValueCP               = 2000 ");
  for (int i = 0; i < 3; ++i) std::getline(saved, line);
  EXPECT_EQ(line.substr(0, 32), "RookValueCP               = 480 ");
}

TEST(EvalCommands, DumpShowsTheBoardsEvaluationAndMaterial) {
  const EngineRun run = runEngine(
      "dump\nposition fen rnbqkb1r/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1\ndump\nswap\ndump\n");
  const std::string& out = run.output;
  // The initial position: an evaluation, material 0.
  EXPECT_NE(out.find("eval: "), std::string::npos) << out;
  EXPECT_NE(out.find("material: 0\n"), std::string::npos);
  EXPECT_NE(out.find("turn = white\ncheck = 0\ndmat = 0\ntmat = 6550\npair[white] = 3\npair[black] = 3\n"
                     "check = no\nep = 00\nfiftyCounter = 0\ncastRights[white] = 18 castRights[black] = 18\n"),
            std::string::npos);
  // White a knight up, Black to move.
  EXPECT_NE(out.find("turn = black\ncheck = 0\ndmat = 325\n"), std::string::npos) << out;
  // The swap mirrors the Board only: White to move and a knight down.
  EXPECT_NE(out.find("turn = white\ncheck = 0\ndmat = -325\n"), std::string::npos) << out;
  size_t at = out.find("material: -325\n");
  ASSERT_NE(at, std::string::npos);
  EXPECT_NE(out.find("material: -325\n", at + 1), std::string::npos);
}

TEST(EvalCommands, GenkpkWritesTheBitbase) {
  const TempDir dir;
  runEngine("genkpk\n", "", dir.path());
  EXPECT_EQ(std::filesystem::file_size(dir.file("kpk.bit")), 49152u);
}

// A file name with blanks, and for a Windows engine a drive letter and backslashes, is taken whole
// by "savepers", "loadpers" and the PersonalityFile option.
TEST(EvalCommands, PersonalityPathsWithBlanksRoundTrip) {
  const TempDir dir;
  std::filesystem::path folder = std::filesystem::path(dir.path()) / "Some Dir";
  std::string path = (folder / "my pers.txt").string();
  if (const char* prefix = winePrefix()) {
    folder = std::filesystem::path(prefix) / "drive_c" / "Some Dir";
    path = "C:\\Some Dir\\my pers.txt";
  }
  std::filesystem::create_directories(folder);
  const EngineRun run = runEngine("setoption name RookValueCP value 480\nsavepers " + path +
                                  "\nsetoption name RookValueCP value 500\nloadpers " + path +
                                  "\nsavepers " + path + "\nsetoption name PersonalityFile value " + path + "\n");
  EXPECT_EQ(run.output.find("error"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("info string personality file loaded " + path + "\n"), std::string::npos) << run.output;
  std::ifstream saved(folder / "my pers.txt");
  std::string line;
  for (int i = 0; i < 4; ++i) std::getline(saved, line);
  EXPECT_EQ(line.substr(0, 32), "RookValueCP               = 480 ") << line;
  std::filesystem::remove_all(folder);
}
