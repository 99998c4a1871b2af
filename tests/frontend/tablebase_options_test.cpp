// The tablebase options and the probes a search makes, through the engine binary: the replies,
// a set rebuilt on every change, mates scored from the tables and tbhits under each usage. (A
// failed probe lowering the men count is the probe's own test.)
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "board/test_positions.h"
#include "frontend/engine_pipe.h"
#include "tablebase/gtb/gtb_support.h"
#include "tablebase/gtb/table_writer.h"
#include "tablebase/tablebase_set.h"

namespace {

const std::string TableDir = "/usr/share/gaviotatb/gtb4";
const std::string UseTables = "setoption name GaviotaTbPath value " + TableDir + "\n";
constexpr const char* Krk = "8/8/8/8/8/3k4/8/3KR3 w - - 0 1";

// The figures of the last "info ... score" line of a search.
struct LastReport {
  std::string kind;  // "cp" or "mate"; empty when there was no such line
  long value = 0, tbhits = -1;
};

// A search of `fen` to `depth` after the set-up (it runs to its end: nothing follows that could
// stop it), and its last report.
LastReport search(const std::string& setup, const std::string& fen, int depth) {
  EnginePipe e;
  std::vector<std::string> lines;
  EXPECT_TRUE(e.send(setup + "position fen " + fen + "\ngo depth " + std::to_string(depth) + "\n"));
  EXPECT_TRUE(e.waitFor("bestmove ", 60000 * SlowBuildFactor, &lines)) << e.transcript;
  LastReport r;
  for (const std::string& line : lines) {
    if (line.rfind("info ", 0) != 0 || !contains(line, " score ")) continue;
    std::istringstream words(line);
    for (std::string w; words >> w;) {
      if (w == "score") words >> r.kind >> r.value;
      if (w == "tbhits") words >> r.tbhits;
    }
  }
  return r;
}

}  // namespace

TEST(TablebaseOptions, RepliesClampAndRebuildOnEveryChange) {
  // A temporary copy of the tables in a directory whose name has blanks.
  char dirTemplate[] = "/tmp/velmar tb-XXXXXX";
  ASSERT_NE(mkdtemp(dirTemplate), nullptr);
  const std::filesystem::path spaced = dirTemplate;
  for (const auto& file : std::filesystem::directory_iterator(TableDir))
    std::filesystem::copy_file(file.path(), spaced / file.path().filename());
  const std::string spacedTokens = "/tmp/velmar   tb-" + spaced.string().substr(std::string("/tmp/velmar tb-").size());

  const EngineRun run = runEngine(
      "setoption name GaviotaTbPath value /nonexistent/velmar-tables\n"
      "setoption name GaviotaTbPath value\n"
      "setoption name GaviotaTbCache value 0\n"
      "setoption name GaviotaTbCache value 5000\n" +
      UseTables +
      "setoption name GaviotaTbCache value 12abc\n"
      "setoption name GaviotaTbPath value /nonexistent/velmar-tables;" + spacedTokens + "\n"
      "setoption name TBUsage value\n"
      "setoption name TBUsage value root\n"
      "setoption name TBUsage value never\n"
      "setoption name TBUsage value sometimes\n");
  std::filesystem::remove_all(spaced);
  // The first line is about the opening book, which depends on the directory the test runs in.
  EXPECT_EQ(run.output.substr(run.output.find('\n') + 1),
            "info string no GTB found\n"
            "info string no GTB found\n"
            "info string GTB cache size set to 1 MB\n"
            "info string no GTB found\n"
            "info string GTB cache size set to 1024 MB\n"
            "info string no GTB found\n"
            "info string GTB cache size set to 12 MB\n"
            "info string TB usage set to always\n"
            "info string TB usage set to root\n"
            "info string TB usage set to never\n"
            "info string TB usage set to always\n");
  EXPECT_EQ(run.exitCode, 0);
}

TEST(TablebaseOptions, SearchReportsTheTablesMateAndCountsHits) {
  gtb::Answer answer;
  TablebaseSet set(TableDir, size_t(1) << 20);
  ASSERT_TRUE(probeTablebase(set, boardFromFen(Krk), answer));
  ASSERT_EQ(answer.outcome, gtb::WhiteMates);

  const LastReport withTables = search(UseTables, Krk, 10);
  EXPECT_EQ(withTables.kind, "mate");
  EXPECT_EQ(withTables.value, (answer.plies + 1) / 2);
  EXPECT_GT(withTables.tbhits, 0);

  const LastReport never = search(UseTables + "setoption name TBUsage value never\n", Krk, 10);
  EXPECT_EQ(never.tbhits, 0);
  // Without tables at all (the default path is not there) nothing is probed either.
  EXPECT_EQ(search("setoption name GaviotaTbPath value /nonexistent/velmar-tables\n", Krk, 8).tbhits, 0);
}

TEST(TablebaseOptions, RootUsageProbesOnlyTheRootsChildren) {
  const std::string root = UseTables + "setoption name TBUsage value root\n";
  // Three men appear two plies down at the earliest (the h5 pawn, or the rook, falls then):
  // "always" probes them, "root" does not.
  const char* captureLater = "8/8/8/7p/8/3k4/8/3KR3 w - - 0 1";
  EXPECT_GT(search(UseTables, captureLater, 10).tbhits, 0);
  EXPECT_EQ(search(root, captureLater, 10).tbhits, 0);
  // Rxe4 leaves three men one ply down: "root" probes there.
  EXPECT_GT(search(root, "8/8/8/8/4p3/3k4/8/3KR3 w - - 0 1", 8).tbhits, 0);
}

TEST(TablebaseOptions, DistantTableMateIsReportedAsMate) {
  // KQK tables in which white mates in 104 moves from everywhere: stored bytes 40 << 2 (white to
  // move, 207 plies) and 40 << 2 | 3 (black to move, 206), further than the search's own mates go.
  gtbtest::TempDir dir;
  for (const char* name : {"krk", "kbk", "knk", "kpk"})
    std::filesystem::copy_file(TableDir + "/" + name + ".gtb.cp4", dir.file(std::string(name) + ".gtb.cp4"));
  const uint64_t size = gtb::endingSize(gtb::findEnding("kqk"));
  ASSERT_TRUE(gtbtest::writeFile(dir.file("kqk.gtb.cp4"), gtbtest::buildTable(size, [&](int side, uint64_t block) {
    return gtbtest::encodeBlock(std::vector<uint8_t>(gtbtest::blockEntries(size, block), side == 0 ? 160 : 163));
  })));
  const LastReport r = search("setoption name GaviotaTbPath value " + dir.path() + "\n", "8/8/8/8/8/3k4/8/3KQ3 w - - 0 1", 6);
  EXPECT_EQ(r.kind, "mate");
  EXPECT_EQ(r.value, 104);
}
