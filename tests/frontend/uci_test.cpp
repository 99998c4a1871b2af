// The engine as a GUI sees it: exact replies, messages and survival of bad input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

#include "board/test_positions.h"
#include "frontend/engine_pipe.h"
#include "temp_dir.h"

#ifdef VELMAR_TUNING_OPTIONS
constexpr bool tuningBuild = true;
#else
constexpr bool tuningBuild = false;
#endif

// The options a tuning build adds before "uciok": each parameter as "savepers" writes it, its
// default and range, in the same order.
std::string parameterOptions() {
  TempDir dir;
  runEngine("savepers params.txt\n", "", dir.path());
  std::ifstream in(dir.file("params.txt"));
  std::string options;
  for (std::string line; std::getline(in, line);) {
    char name[64];
    int defaultValue = 0, min = 0, max = 0;
    if (std::sscanf(line.c_str(), "%63s = %*d // default: %d , range: %d .. %d", name, &defaultValue, &min, &max) != 4)
      continue;
    char option[128];
    std::snprintf(option, sizeof option, "option name %s type spin default %d min %d max %d\n", name, defaultValue,
                  min, max);
    options += option;
  }
  return options;
}

TEST(Uci, IdentifiesItselfExactly) {
  const EngineRun run = runEngine(readTestData("transcripts/uci.in"));
  std::string expected = readTestData("transcripts/uci.out");
  if (tuningBuild) {
    const std::string params = parameterOptions();
    EXPECT_EQ(std::count(params.begin(), params.end(), '\n'), 46);
    expected.insert(expected.rfind("uciok\n"), params);
  }
  EXPECT_EQ(run.output, expected);
  EXPECT_EQ(run.exitCode, 0);  // end of input ends the engine like "quit"
}

TEST(Uci, WholeLineCommandsMatchTheWholeLine) {
  const EngineRun run = runEngine("\r\n$debug\nquit \nisready\r\nucinewgame\nisready x\nquit\nisready\n");
  EXPECT_EQ(run.output,
            "opening book not found\n"
            "readyok\n"
            "info string Starting new game, hash table cleared\n");
  EXPECT_EQ(run.exitCode, 0);
}

// Windows GUIs end their lines with CR LF: the replies are the same, byte for byte, but for the
// times a search takes and its closing line (whose counts take in the cut-short next iteration).
TEST(Uci, CrLfLineEndsGetTheSameReplies) {
  // Each engine finishes its search before it is told to quit, which would cut the search short.
  auto session = [](const std::string& end) {
    EnginePipe engine;
    engine.send("uci" + end + "isready" + end + "position startpos moves e2e4" + end + "go depth 5" + end);
    engine.waitFor("bestmove ", 30000 * SlowBuildFactor);
    engine.send("isready" + end + "quit" + end);
    EXPECT_EQ(engine.waitExit(10000 * SlowBuildFactor), 0);
    return engine.transcript;
  };
  auto untimed = [](std::string text) {
    const size_t closing = text.find("info time ");
    if (closing != std::string::npos) text.erase(closing, text.find('\n', closing) - closing);
    for (const char* field : {" time ", " nps "}) {
      for (size_t at = 0; (at = text.find(field, at)) != std::string::npos;) {
        at += std::strlen(field);
        text.erase(at, text.find_first_not_of("0123456789", at) - at);
      }
    }
    return text;
  };
  const std::string lf = session("\n"), crlf = session("\r\n");
  EXPECT_NE(lf.find("bestmove "), std::string::npos) << lf;
  EXPECT_EQ(untimed(crlf), untimed(lf));
}

TEST(Uci, PositionPlaysMovesAndReportsBadOnes) {
  const EngineRun run = runEngine(
      "position startpos moves e2e4 e7e5 g1f3\nperft 1\n"
      "position startpos moves e2e5 e2e4\nperft 1\n"
      "position fen 4k3/P7/8/8/8/8/8/4K3 w - - 0 1 moves a7a8 a7a8n\nperft 1\n"
      "position\nperft 1\n"
      "position moves e8d7\nperft 1\n"
      "position fen rnbqkbnr/ppppxppp/8 w moves e2e4\nperft 1\n"
      "position fen 8/8/8/8/8/8/8/8 w - - 0 1\nperft 1\n"
      "perft 0\nperft\n");
  const char* expected[] = {
      "fen = rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1\n29 nodes",
      "FATAL ERROR: invalid move passed by gui: e2e5\n",
      "fen = rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0\n20 nodes",
      "FATAL ERROR: invalid move passed by gui: a7a8\n",
      "fen = N3k3/8/8/8/8/8/8/4K3 b - - 0\n",
      "fen = N7/3k4/8/8/8/8/8/4K3 w - - 1\n",
      "FATAL ERROR: invalid fen coming from gui: rnbqkbnr/ppppxppp/8 w \n",
      "fen = rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0\n",
      "FATAL ERROR: invalid fen coming from gui: 8/8/8/8/8/8/8/8 w - - 0 1 \n"
      "fen = rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0\n20 nodes",
      "1 nodes, 0 checks, ",
  };
  size_t at = 0;
  for (const char* part : expected) {
    const size_t found = run.output.find(part, at);
    ASSERT_NE(found, std::string::npos) << "missing, in order: " << part << "\nin:\n" << run.output;
    at = found;
  }
  EXPECT_FALSE(contains(run.output, "movegen"));
  // "perft" without a depth prints nothing after the last summary (perft 0's, whose
  // time a slow emulator may push past a millisecond).
  const size_t lastLine = run.output.rfind('\n', run.output.size() - 2) + 1;
  EXPECT_EQ(run.output.compare(lastLine, 19, "1 nodes, 0 checks, "), 0) << run.output;
  EXPECT_EQ(run.output.substr(run.output.size() - 3), " s\n");
}

TEST(Uci, NulBytesEndTheLine) {
  static const char input[] = "isready\0junk\nposition startpos\0 moves e2e4\nperft 1\n";
  const EngineRun run = runEngine(std::string(input, sizeof input - 1));
  EXPECT_TRUE(contains(run.output, "readyok\n"));
  EXPECT_TRUE(contains(run.output, "fen = rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0\n20 nodes"));
}

TEST(Uci, LongGamesArriveWholeAndStaySafe) {
  // 3000 reversible plies (15000 characters on one line): far beyond any history the
  // engine keeps, and beyond the byte-sized fifty-move counter.
  std::string line = "position startpos moves";
  for (int i = 0; i < 750; ++i) line += " g1f3 g8f6 f3g1 f6g8";
  const EngineRun run = runEngine(line + "\nperft 3\n");
  EXPECT_TRUE(contains(run.output, "fen = rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 255\n8902 nodes"))
      << run.output;
  EXPECT_FALSE(contains(run.output, "FATAL"));
}

// The outcomes of the random games add up to the games played (zero and negative counts play none).
TEST(Uci, RandomGameStatisticsAddUp) {
  const char* env = std::getenv("VELMAR_RGSTAT_GAMES");
  const long games = env ? std::atol(env) : 100000;
  const EngineRun run = runEngine("rgstat 0\nrgstat -5\nrgstat " + std::to_string(games) + "\n");
  long long total = -1, outcomes = 0, mates = -1;
  std::istringstream lines(run.output);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    long long value;
    std::string word;
    if (!(fields >> value >> word)) continue;
    if (contains(line, " total games")) total = value;
    if (word == "checkmates") mates = value;
    for (const char* outcome : {"whitewins", "blackwins", "fiftyrule", "insuffmaterial", "repetition", "stalemate"})
      if (word == outcome) outcomes += value;
  }
  EXPECT_EQ(total, games) << run.output;
  EXPECT_EQ(outcomes, games);
  EXPECT_GT(mates, 0);
  EXPECT_TRUE(contains(run.output, " Hz ("));
}

// With UCI_Chess960 on, castling goes both ways as the king taking its own rook, the standard
// king's two-step is no move, and FEN uses rook files where KQkq would name another rook.
TEST(Uci, Chess960CastlingIsTheKingTakingItsRook) {
  const std::string opening = "position startpos moves e2e4 e7e5 g1f3 b8c6 f1c4 g8f6";
  const EngineRun run = runEngine("setoption name UCI_Chess960 value true\n" + opening +
                                  "\ngo depth 2 searchmoves e1h1\n" + opening + " e1h1\nperft 1\n" +
                                  opening + " e1g1\nposition fen 4k3/8/8/8/8/8/8/RR2K3 w B - 0 1\nperft 1\n"
                                  "setoption name UCI_Chess960 value false\n" + opening + " e1g1\nperft 1\n");
  const std::string castled = "fen = r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQ1RK1 b kq - 5\n";
  EXPECT_NE(run.output.find("bestmove e1h1"), std::string::npos) << run.output;
  EXPECT_LT(run.output.find(castled), run.output.find("Chess960 disabled")) << run.output;
  EXPECT_NE(run.output.find("FATAL ERROR: invalid move passed by gui: e1g1\nfen = 4k3/8/8/8/8/8/8/RR2K3 w B - 0\n"),
            std::string::npos) << run.output;
  EXPECT_NE(run.output.find("info string Chess960 disabled\ninfo string Hash table cleared\n" + castled),
            std::string::npos) << run.output;
}
