// The engine under a GUI's timing: searches that run while commands keep coming, "stop",
// "ponderhit", "quit" in mid-search, and the replies of every engine option.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>

#include "board/test_positions.h"
#include "frontend/engine_pipe.h"
#include "temp_dir.h"

namespace {

using Ms = std::chrono::milliseconds;

// How soon a reply that must come "at once" has to arrive.
const int Prompt = 100 * SlowBuildFactor;
// Start-up and the first report of a search: generous, they only guard against hangs.
const int Patient = 5000 * SlowBuildFactor;

bool startsWith(const std::string& line, const char* prefix) { return line.rfind(prefix, 0) == 0; }

int countPrefix(const std::vector<std::string>& lines, const char* prefix) {
  return int(std::count_if(lines.begin(), lines.end(), [&](auto& l) { return startsWith(l, prefix); }));
}

// Starts a search and returns once the engine reports from it, so the search is under way.
void startSearch(EnginePipe& e, const std::string& go) {
  ASSERT_TRUE(e.send(go + "\n"));
  ASSERT_TRUE(e.waitFor("info", Patient)) << e.transcript;
}

// Time from now until the next line beginning with `prefix`; the lines on the way in `passed`.
int64_t msUntil(EnginePipe& e, const char* prefix, int timeoutMs, std::vector<std::string>* passed) {
  const auto start = EnginePipe::Clock::now();
  if (!e.waitFor(prefix, timeoutMs, passed)) return -1;
  return std::chrono::duration_cast<Ms>(EnginePipe::Clock::now() - start).count();
}

}  // namespace

TEST(Protocol, InfiniteSearchAnswersWhileItRunsAndStopsAtOnce) {
  EnginePipe e;
  ASSERT_NO_FATAL_FAILURE(startSearch(e, "go infinite"));
  std::vector<std::string> lines;
  ASSERT_TRUE(e.send("isready\n"));
  EXPECT_GE(msUntil(e, "readyok", Prompt, &lines), 0) << e.transcript;
  ASSERT_TRUE(e.send("uci\n"));
  EXPECT_GE(msUntil(e, "uciok", Prompt, &lines), 0) << e.transcript;
  EXPECT_EQ(countPrefix(lines, "bestmove"), 0) << "the search must go on";
  std::this_thread::sleep_for(Ms(50));
  ASSERT_TRUE(e.send("stop\n"));
  ASSERT_GE(msUntil(e, "bestmove ", Prompt, &lines), 0) << "no bestmove within " << Prompt << " ms:\n" << e.transcript;
  // The closing status line comes right before "bestmove".
  EXPECT_TRUE(startsWith(lines[lines.size() - 2], "info time ")) << e.transcript;
  // Nothing more follows; a second "stop" finds nothing to stop and says nothing.
  ASSERT_TRUE(e.send("stop\nisready\n"));
  EXPECT_EQ(e.readLine(Patient).value_or("(none)"), "readyok");
  // A negative movetime is no time, not an endless search.
  ASSERT_TRUE(e.send("go movetime -5\n"));
  EXPECT_TRUE(e.waitFor("bestmove ", Patient)) << e.transcript;
  EXPECT_EQ(e.waitExit(Patient), 0);
}

// A weakened search ends by its node budget, or is cut by "stop" before: either way the move
// comes at once when asked for.
TEST(Protocol, AWeakenedSearchStopsAtOnce) {
  EnginePipe e;
  ASSERT_TRUE(e.send("setoption name UCI_LimitStrength value true\nposition startpos moves e2e4\n"));
  for (const char* elo : {"1350", "2050"}) {
    ASSERT_TRUE(e.send(std::string("setoption name UCI_Elo value ") + elo + "\n"));
    ASSERT_NO_FATAL_FAILURE(startSearch(e, "go infinite"));
    std::this_thread::sleep_for(Ms(20));
    ASSERT_TRUE(e.send("stop\n"));
    EXPECT_GE(msUntil(e, "bestmove ", Prompt, nullptr), 0) << elo << ":\n" << e.transcript;
  }
}

TEST(Protocol, PonderingAndInfiniteSearchesHoldBestmoveUntilReleased) {
  struct Case {
    const char* setup;
    const char* go;
    const char* release;
  };
  const char* afterE4 = "position startpos moves e2e4\n";
  // A depth or node limit reached while pondering, a clock whose allotment runs out while
  // pondering, an infinite search that has found a mate in one and reached its last depth, and a
  // ponder search from a GUI that never set the Ponder option: each "bestmove" waits, and the
  // release lets it out at once.
  for (const Case c : {Case{afterE4, "go ponder depth 2", "ponderhit"}, Case{afterE4, "go ponder depth 2", "stop"},
                       Case{afterE4, "go ponder nodes 2000", "stop"},
                       Case{afterE4, "go ponder wtime 1000 btime 1000", "ponderhit"},
                       Case{"position fen 6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1\n", "go infinite", "stop"},
                       Case{"setoption name Ponder value false\nposition startpos\n", "go ponder wtime 1000 btime 1000",
                            "ponderhit"}}) {
    SCOPED_TRACE(std::string(c.setup) + c.go + " / " + c.release);
    EnginePipe e;
    ASSERT_TRUE(e.send(c.setup));
    ASSERT_NO_FATAL_FAILURE(startSearch(e, c.go));
    std::this_thread::sleep_for(Ms(400 * SlowBuildFactor));
    std::vector<std::string> lines;
    ASSERT_TRUE(e.send("isready\n"));
    ASSERT_TRUE(e.waitFor("readyok", Patient, &lines));
    EXPECT_EQ(countPrefix(lines, "bestmove"), 0) << e.transcript;
    ASSERT_TRUE(e.send(std::string(c.release) + "\n"));
    EXPECT_GE(msUntil(e, "bestmove ", Prompt, &lines), 0) << e.transcript;
    EXPECT_EQ(countPrefix(lines, "bestmove"), 1);
    EXPECT_EQ(e.waitExit(Patient), 0);
  }
}

// The ponderhit comes in the same write as the "go", so it races the search thread taking the
// search: whichever wins, the search must end. Many times over, for a losing interleaving is rare.
TEST(Protocol, PonderhitIsNeverLostLong) {
  EnginePipe e;
  for (int i = 0; i < 20000; ++i) {
    ASSERT_TRUE(e.send("go ponder movetime 1\nponderhit\n"));
    ASSERT_TRUE(e.waitFor("bestmove ", 1000 * SlowBuildFactor)) << "ponderhit lost in cycle " << i;
  }
  EXPECT_EQ(e.waitExit(Patient), 0);
}

TEST(Protocol, ANewSearchOrPositionFirstEndsTheRunningSearch) {
  EnginePipe e;
  ASSERT_NO_FATAL_FAILURE(startSearch(e, "go infinite"));
  std::vector<std::string> lines;
  // A second "go" stops the first, which still answers; the second ends by itself.
  ASSERT_TRUE(e.send("go depth 1\n"));
  ASSERT_TRUE(e.waitFor("bestmove ", Patient, &lines));
  ASSERT_TRUE(e.waitFor("bestmove ", Patient, &lines)) << e.transcript;
  // "ucinewgame" and "position" wait for the search; the new position is the one searched next.
  ASSERT_NO_FATAL_FAILURE(startSearch(e, "go infinite"));
  ASSERT_TRUE(e.send("ucinewgame\n"));
  ASSERT_TRUE(e.waitFor("bestmove ", Prompt, &lines)) << e.transcript;
  EXPECT_EQ(e.readLine(Patient).value_or("(none)"), "info string Starting new game, hash table cleared");
  ASSERT_NO_FATAL_FAILURE(startSearch(e, "go infinite"));
  ASSERT_TRUE(e.send("position startpos moves e2e4\ngo depth 2 searchmoves e2e5 c7c5\n"));
  ASSERT_TRUE(e.waitFor("bestmove ", Prompt, &lines)) << e.transcript;
  EXPECT_EQ(e.waitFor("FATAL", Patient).value_or("(none)"), "FATAL ERROR: invalid move passed by gui: e2e5");
  EXPECT_EQ(e.waitFor("bestmove ", Patient).value_or("(none)").substr(0, 13), "bestmove c7c5");
  EXPECT_EQ(e.waitExit(Patient), 0);
}

TEST(Protocol, QuickGoStopCyclesNeverDeadlock) {
  // Searches stopped before they start, while they start, after they ended by themselves, and
  // replaced by a new "go" or a new position.
  std::string script;
  int searches = 0, readies = 0;
  for (int i = 0; i < 1000; ++i) {
    switch (i % 5) {
      case 0: script += "go infinite\nstop\n", searches += 1; break;
      case 1: script += "go depth 1\nstop\n", searches += 1; break;
      case 2: script += "go movetime 1\nposition startpos moves e2e4\n", searches += 1; break;
      case 3: script += "go infinite\ngo depth 1\nstop\nposition startpos\n", searches += 2; break;
      case 4: script += "go wtime 100 btime 100\nisready\nstop\n", searches += 1, readies += 1; break;
    }
  }
  script += "isready\n";
  readies += 1;

  EnginePipe e;
  ASSERT_TRUE(e.send(script, 60000 * SlowBuildFactor));
  const auto deadline = EnginePipe::Clock::now() + Ms(60000 * SlowBuildFactor);
  int bestmoves = 0, readyoks = 0;
  while (readyoks < readies && EnginePipe::Clock::now() < deadline) {
    const std::optional<std::string> line = e.readLine(1000);
    if (!line) continue;
    bestmoves += startsWith(*line, "bestmove ");
    readyoks += *line == "readyok";
  }
  ASSERT_EQ(readyoks, readies) << "the engine stopped answering";
  // Every search had ended before the last "isready" was read.
  EXPECT_EQ(bestmoves, searches);
  EXPECT_EQ(e.waitExit(Patient), 0);
}

TEST(Protocol, QuitOrEndOfInputInMidSearchExitsCleanly) {
  for (const char* ending : {"quit\n", ""}) {
    SCOPED_TRACE(*ending ? "quit" : "end of input");
    EnginePipe e;
    ASSERT_NO_FATAL_FAILURE(startSearch(e, "go infinite"));
    ASSERT_TRUE(e.send(ending));
    EXPECT_EQ(e.waitExit(2000 * SlowBuildFactor), 0);
    // The search was stopped and answered before the engine went.
    EXPECT_NE(e.transcript.find("\nbestmove "), std::string::npos) << e.transcript;
  }
}

// Every option's reply, with values out of range, malformed commands and any capitalisation:
// the script and the replies it must get are in tests/data/transcripts.
TEST(EngineOptions, ReplyAndClamp) {
  const TempDir dir;
  dir.write("p.txt", "RookValueCP = 480\n");
  const EngineRun run = runEngine(readTestData("transcripts/options.in"), "", dir.path());
  // A 5000 MB request is clamped to the 1024 MB maximum. A Windows engine under Wine (a 32-bit one
  // above all) may not get that much: it must say so and keep a smaller table, never none.
  std::string output = run.output;
  if (winePrefix()) {
    const std::regex fallback(
        "info string Hash table of 1024 MB cannot be had, size set to (512|256|128|64|32|16|8|4|2|1) MB\n");
    output = std::regex_replace(output, fallback, "info string Hash table size set to 1024 MB\n");
  }
  EXPECT_EQ(output, readTestData("transcripts/options.out"));
  EXPECT_EQ(run.exitCode, 0);
  // The personality file took effect.
  std::ifstream saved(dir.file("out.txt"));
  std::string line;
  for (int i = 0; i < 4; ++i) std::getline(saved, line);
  EXPECT_EQ(line.substr(0, 32), "RookValueCP               = 480 ");
}
