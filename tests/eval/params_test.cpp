// Named parameters and personality files: the saved format and the loading rules (random bytes
// are the personality fuzzer's).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "board/board.h"
#include "eval/params.h"
#include "eval/personality.h"
#include "search/search_params.h"
#include "temp_dir.h"

namespace {

class Personality : public testing::Test {
 protected:
  void SetUp() override { resetAllParams(); }
  void TearDown() override { resetAllParams(); }
  std::string read() const {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // Loads text as a personality file and returns what the loader printed.
  std::string load(const std::string& text) {
    dir_.write("personality.txt", text);
    testing::internal::CaptureStdout();
    EXPECT_TRUE(loadPersonality(path_.c_str()));
    return testing::internal::GetCapturedStdout();
  }
  int32_t value(const char* name) { return getParam(*findParam(name)); }

  const TempDir dir_;  // a directory of its own: ctest runs tests side by side
  const std::string path_ = dir_.file("personality.txt");
};

}  // namespace

// The saved file lists the parameters in their order, one line each; loading it back and
// saving again writes the very same bytes.
TEST_F(Personality, SaveLoadSaveIsAFixedPoint) {
  setParam(*findParam("KnightValueCP"), 333);
  setParam(*findParam("FutilityMargin3CP"), 7);
  ASSERT_TRUE(savePersonality(path_.c_str()));
  const std::string first = read();
  EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), 46);
  EXPECT_EQ(first.substr(0, first.find('\n')),
            "PawnValueCP               = 75        // default: 75    , range: 0 .. 2000");
  resetAllParams();
  EXPECT_EQ(futilityMargins[3], 200);
  EXPECT_EQ(load(first), "");
  EXPECT_EQ(pieceValueTable[Knight], 333);
  EXPECT_EQ(futilityMargins[3], 7);
  ASSERT_TRUE(savePersonality(path_.c_str()));
  EXPECT_EQ(read(), first);
  EXPECT_FALSE(loadPersonality("/nonexistent/dir/file"));
  EXPECT_FALSE(savePersonality("/nonexistent/dir/file"));

  // The shipped tuned personality loads without a word and saves back byte for byte.
  std::ifstream shipped(VELMAR_TEST_DATA "/../../personalities/tuned.txt", std::ios::binary);
  ASSERT_TRUE(shipped);
  const std::string tuned(std::istreambuf_iterator<char>(shipped), {});
  resetAllParams();
  EXPECT_EQ(load(tuned), "");
  ASSERT_TRUE(savePersonality(path_.c_str()));
  EXPECT_EQ(read(), tuned);
}

// Each text loaded on the defaults: the parameter it sets (or leaves) and what the loader says.
TEST_F(Personality, LinesAreReadLeniently) {
  const struct {
    std::string text;
    const char* name;
    int32_t value;
    const char* said;
  } cases[] = {
      {"  KnightValueCP=300\n", "KnightValueCP", 300, ""},
      {"KnightValueCP 310 trailing words\n", "KnightValueCP", 310, ""},
      {"KnightValueCP = 5000\n", "KnightValueCP", 2000, ""},
      {"KnightValueCP = -5\n", "KnightValueCP", 0, ""},
      {"RookValueCP = 99999999999999999999\n", "RookValueCP", 2000, ""},
      {"QueenValueCP = banana\n", "QueenValueCP", 0, ""},
      {"// PawnValueCP = 1\n# PawnValueCP = 1\n7 PawnValueCP = 1\n\n", "PawnValueCP", 75, ""},
      {"knightValueCP = 1\nPawn_ValueCP = 1\n", "KnightValueCP", 325,
       "warning: ignoring invalid parameter: `knightValueCP'\nwarning: ignoring invalid parameter: `Pawn'\n"},
      {"Pawn_ValueCP = 1\nBishopValueCP = 111\n", "BishopValueCP", 111,
       "warning: ignoring invalid parameter: `Pawn'\n"},
      // Characters past the 4095th start a line of their own.
      {std::string(4095, ' ') + "RookValueCP = 444\n", "RookValueCP", 444, ""},
      {"RookValueCP = 1" + std::string(10000, '0') + "\n", "RookValueCP", 2000, ""},
  };
  for (const auto& c : cases) {
    resetAllParams();
    EXPECT_EQ(load(c.text), c.said) << c.text.substr(0, 40);
    EXPECT_EQ(value(c.name), c.value) << c.text.substr(0, 40);
  }
}
