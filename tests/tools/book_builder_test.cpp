// velmar-book: books built from PGN and UCI-line files, read back with the engine's own loader
// and checked against the keys the engine computes when it plays the same moves.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "board/oldboard.h"
#include "board/refgen.h"
#include "book/book.h"
#include "board/test_positions.h"
#include "temp_dir.h"

namespace {

struct ToolRun {
  int exitCode = -1;
  std::string out, err;
};

// This build's book tool, or the one VELMAR_TEST_BOOK_TOOL names (another build's, emulated).
std::string bookTool() {
  const char* named = std::getenv("VELMAR_TEST_BOOK_TOOL");
  return named && *named ? named : VELMAR_BOOK_TOOL;
}

ToolRun runTool(const TempDir& dir, const std::string& args) {
  const std::string errFile = dir.file("stderr.txt");
  const std::string command = "cd '" + dir.path() + "' && " + bookTool() + " " + args + " 2> '" + errFile + "'";
  ToolRun run;
  std::FILE* pipe = popen(command.c_str(), "r");
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
  const int status = pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ostringstream err;
  err << std::ifstream(errFile).rdbuf();
  run.err = err.str();
  // A Windows build's tool writes its messages as Windows text, lines ending in CR LF.
  for (std::string* text : {&run.out, &run.err})
    for (size_t at; (at = text->find("\r\n")) != std::string::npos;) text->erase(at, 1);
  return run;
}

OpeningBook loadFrom(const std::string& path) {
  OpeningBook book;
  loadBook(book, path.c_str());
  return book;
}

struct Step {
  uint64_t key;
  PackedMove move;
};

// The engine's own road: its start board (or FEN), then each UCI move found among the reference
// generator's legal moves and played by the reference make-move.
std::vector<Step> engineSteps(const std::string& fen, const std::string& uciMoves) {
  OldBoard ob;
  resetOldBoard(ob);
  int side = White;
  if (!fen.empty()) {
    EXPECT_TRUE(parseFen(ob, fen.c_str(), &side, nullptr)) << fen;
  }
  std::vector<Step> steps;
  std::istringstream words(uciMoves);
  for (std::string word; words >> word;) {
    RefMove legal[MaxRefMoves];
    const int n = generateMovesOld(ob, side, legal);
    int found = -1;
    for (int i = 0; i < n && found < 0; ++i)
      if (packedToUci(legal[i].packed) == word) found = i;
    if (found < 0) {
      ADD_FAILURE() << "test game has an illegal move " << word;
      break;
    }
    steps.push_back(Step{ob.hash, legal[found].packed});
    makeMoveOld(ob, side, legal[found]);
    side ^= 1;
  }
  return steps;
}

std::optional<int> valueOf(const OpeningBook& book, const Step& step) {
  const auto it = book.positions.find(step.key);
  if (it == book.positions.end()) return std::nullopt;
  for (const BookEntry& e : it->second)
    if (PackedMove(e.move) == step.move) return e.value;
  return std::nullopt;
}

size_t entryCount(const OpeningBook& book) {
  size_t n = 0;
  for (const auto& position : book.positions) n += position.second.size();
  return n;
}

// Every step of every game is in the book with the number of games that played it there.
void expectGamesCounted(const OpeningBook& book, const std::vector<std::vector<Step>>& games) {
  std::map<std::pair<uint64_t, PackedMove>, int> expected;
  std::set<uint64_t> keys;
  for (const auto& game : games) {
    std::set<std::pair<uint64_t, PackedMove>> inThisGame;
    for (const Step& s : game)
      if (inThisGame.insert({s.key, s.move}).second) ++expected[{s.key, s.move}];
    for (const Step& s : game) keys.insert(s.key);
  }
  EXPECT_EQ(book.size(), int(keys.size()));
  EXPECT_EQ(entryCount(book), expected.size());
  for (const auto& [step, games] : expected)
    EXPECT_EQ(valueOf(book, Step{step.first, step.second}), games) << packedToUci(step.second);
}

}  // namespace

TEST(BookBuilder, PgnMainLinesAreKeyedAsTheEngineKeysThem) {
  TempDir dir;
  dir.write("games.pgn",
            "% an escape line the reader passes over\n"
            "[Event \"The \\\"first\\\" game\"]\n"
            "[Result \"1-0\"]\n"
            "\n"
            "1. e4 e5 {a comment (with a parenthesis; and a semicolon)} 2. Nf3 $1 Nc6\n"
            "(2... d6 3. d4 (3. Bc4 Be7) exd4) 3. Bb5 a6!? ; to the end of the line 3... Nf6\n"
            "4.Ba4 Nf6 5. O-O +- Be7 1-0\n"
            "\n"
            "[Event \"second\"]\n"
            "1.e4 c5 2.Nf3 d6 3.d4 cxd4 4.Nxd4 Nf6 5.Nc3 a6 6.Be3 e5 7.Nb3 Be6 8.f3 Be7\n"
            "9.Qd2 O-O 10.O-O-O Nbd7 11.g4 b5 12.g5 b4 13.Ne2 Ne8 14.f4 a5 15.f5 a4 0-1\n");
  const ToolRun run = runTool(dir, "games.pgn --lost-moves count");
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const OpeningBook book = loadFrom(dir.file("velmar.vbk"));
  std::vector<std::vector<Step>> games = {
      engineSteps("", "e2e4 e7e5 g1f3 b8c6 f1b5 a7a6 b5a4 g8f6 e1g1 f8e7"),
      engineSteps("",
                  "e2e4 c7c5 g1f3 d7d6 d2d4 c5d4 f3d4 g8f6 b1c3 a7a6 c1e3 e7e5 d4b3 c8e6 f2f3 f8e7 "
                  "d1d2 e8g8 e1c1 b8d7 g2g4 b7b5 g4g5 b5b4 c3e2 f6e8 f3f4 a6a5 f4f5 a5a4")};
  games[1].resize(24);  // by default a game's first 24 plies
  // The variation moves would have added entries of their own.
  expectGamesCounted(book, games);
  EXPECT_EQ(valueOf(book, games[0][0]), 2);
  EXPECT_NE(run.out.find("2 games (0 with errors), 32 positions and 33 moves written to velmar.vbk"),
            std::string::npos)
      << run.out;
}

TEST(BookBuilder, SanIsReadInItsCommonForms) {
  TempDir dir;
  std::string pgn;
  std::vector<std::vector<Step>> games;
  for (const CaseLine& c : loadCases("cases/san_forms.txt")) {
    const std::string fen = c[0] == "startpos" ? "" : c[0];
    if (!fen.empty()) pgn += "[FEN \"" + fen + "\"]\n[SetUp \"1\"]\n\n";
    pgn += c[1] + " *\n\n";
    games.push_back(engineSteps(fen, c[2]));
  }
  dir.write("forms.pgn", pgn);
  const ToolRun run = runTool(dir, "forms.pgn --output forms.vbk");
  EXPECT_EQ(run.exitCode, 0);
  // The bad moves: a king stepping next to a pawn's capture square, and a queen white lacks.
  // Messages number the moves from the FEN's move number.
  EXPECT_NE(run.err.find("forms.pgn:24: illegal move \"Ke7\" (move 32, black)"), std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("forms.pgn:29: illegal move \"Qd1?\" (move 3, white)"), std::string::npos)
      << run.err;
  expectGamesCounted(loadFrom(dir.file("forms.vbk")), games);
}

TEST(BookBuilder, BadInputIsReportedByFileAndLineAndTheRestIsBuilt) {
  TempDir dir;
  dir.write("bad.pgn",
            "[Event \"illegal king move\"]\n"
            "\n"
            "1. e4 e5 2. Ke2\n"
            "Nc6 3. Ke4 Nf6 1-0\n"
            "\n"
            "[FEN \"not a position\"]\n"
            "1. e4 *\n"
            "\n"
            "[FEN \"4k3/8/8/8/3N3N/8/7N/4K3 w - - 0 1\"]\n"
            "1. Nf3 *\n"
            "\n"
            "1. d4 d5 2. c4 ) { never closed\n");
  dir.write("lines.txt", "g2g3 g7g6\nb2b3 e7e6 e1e3 d7d5\ne7e8q\n");
  const ToolRun run = runTool(dir, "bad.pgn lines.txt --output bad.vbk --lost-moves count");
  EXPECT_EQ(run.exitCode, 0);
  for (const char* message :
       {"bad.pgn:4: illegal move \"Ke4\" (move 3, white)", "bad.pgn:6: invalid FEN \"not a position\"",
        "bad.pgn:10: ambiguous move \"Nf3\" (move 1, white)", "bad.pgn:12: ')' without a variation to close",
        "bad.pgn:12: comment not closed by the end of the file",
        "lines.txt:2: illegal move \"e1e3\" (move 2, white)", "lines.txt:3: illegal move \"e7e8q\""})
    EXPECT_NE(run.err.find(message), std::string::npos) << message << "\n" << run.err;
  EXPECT_NE(run.out.find("7 games (5 with errors)"), std::string::npos) << run.out;
  // Every game counts up to its fault.
  expectGamesCounted(loadFrom(dir.file("bad.vbk")),
                     {engineSteps("", "e2e4 e7e5 e1e2 b8c6"), engineSteps("", "d2d4 d7d5 c2c4"),
                      engineSteps("", "g2g3 g7g6"), engineSteps("", "b2b3 e7e6")});

  EXPECT_EQ(runTool(dir, "lines.txt --plies x").exitCode, 2);
  EXPECT_EQ(runTool(dir, "lines.txt --colour white").exitCode, 2);
  EXPECT_EQ(runTool(dir, "--plies 3").exitCode, 2);
}

TEST(BookBuilder, AFailedRunLeavesTheOldBookAsItWas) {
  TempDir dir;
  const std::string old = "\1\0\0\0old book";
  dir.write("velmar.vbk", old);
  dir.write("empty.pgn", "; nothing here\n");
  dir.write("good.txt", "e2e4 e7e5\n");
  dir.write("escape.txt", "e2e4 \x1b[2J\x07\n");
  struct Case {
    const char* args;
    const char* message;
  };
  for (const Case& c : {Case{"typo_games.pgn", "cannot read typo_games.pgn\n"},
                        Case{"good.txt typo.txt", "cannot read typo.txt\n"},
                        Case{"empty.pgn", "no games read\n"},
                        Case{"good.txt --output missing/dir/x.vbk", "cannot write missing/dir/x.vbk\n"},
                        Case{"escape.txt typo\x1b.txt", "unreadable move \"\\x1b[2J\\x07\""}}) {
    const ToolRun run = runTool(dir, c.args);
    EXPECT_EQ(run.exitCode, 1) << c.args;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.args << "\n" << run.err;
    EXPECT_EQ(run.err.find_first_of("\x1b\x07"), std::string::npos) << run.err;
    std::ifstream in(dir.file("velmar.vbk"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), old) << c.args;
  }
  // Only the book and the inputs: no temporary file left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 5);
}

TEST(BookBuilder, PliesAndMinGamesLimitWhatIsWritten) {
  TempDir dir;
  // Written by a Windows editor: a byte-order mark, CR LF line ends; a comment and a blank line.
  dir.write("lines.txt", "\xEF\xBB\xBF" "e2e4 e7e5 g1f3 b8c6\r\n# one game a line\r\n\r\ne2e4 e7e5 g1f3 g8f6\r\n"
                         "e2e4 c7c5 g1f3\nd2d4\n");
  ASSERT_EQ(runTool(dir, "--plies 3 --min-games 2 lines.txt").exitCode, 0);
  const std::vector<Step> line = engineSteps("", "e2e4 e7e5 g1f3");
  OpeningBook book = loadFrom(dir.file("velmar.vbk"));
  EXPECT_EQ(book.size(), 3);
  EXPECT_EQ(entryCount(book), 3u);
  EXPECT_EQ(valueOf(book, line[0]), 3);
  EXPECT_EQ(valueOf(book, line[1]), 2);
  EXPECT_EQ(valueOf(book, line[2]), 2);

  // No plies: a file with no positions, which the engine takes for no book.
  ASSERT_EQ(runTool(dir, "--plies=0 lines.txt").exitCode, 0);
  EXPECT_EQ(loadFrom(dir.file("velmar.vbk")).size(), 0);

  // A knight tour back to the start returns to the start key (the minor pieces carry the moved
  // bit from the start), and a game counts once per position and move.
  std::string tour;
  for (int i = 0; i < 8; ++i) tour += "g1f3 g8f6 f3g1 f6g8 ";
  dir.write("tour.txt", tour + "\n");
  ASSERT_EQ(runTool(dir, "tour.txt").exitCode, 0);
  book = loadFrom(dir.file("velmar.vbk"));
  EXPECT_EQ(book.size(), 4);
  for (const Step& s : engineSteps("", tour)) EXPECT_EQ(valueOf(book, s), 1);
}

TEST(BookBuilder, MovesOnlyTheLosersPlayedAreMarkedNeverToPlay) {
  TempDir dir;
  dir.write("results.pgn",
            "1. e4 e5 1-0\n"
            "1. e4 c5 1-0\n"
            "1. e4 c5 0-1\n"
            "1. g4 0-1\n"
            "1. b3 d5 *\n"
            "[Result \"1-0\"]\n1. f3 e5\n"  // no result token: the tag's result stands
            "[Result \"1/2-1/2\"]\n1. a3\n");
  ASSERT_EQ(runTool(dir, "results.pgn").exitCode, 0);
  const std::vector<Step> e4e5 = engineSteps("", "e2e4 e7e5"), e4c5 = engineSteps("", "e2e4 c7c5");
  const std::vector<Step> g4 = engineSteps("", "g2g4"), b3 = engineSteps("", "b2b3 d7d5");
  const std::vector<Step> f3e5 = engineSteps("", "f2f3 e7e5"), a3 = engineSteps("", "a2a3");
  OpeningBook book = loadFrom(dir.file("velmar.vbk"));
  EXPECT_EQ(valueOf(book, e4e5[0]), 3);
  EXPECT_EQ(valueOf(book, e4e5[1]), -1);
  EXPECT_EQ(valueOf(book, e4c5[1]), 2);  // lost once, won once
  EXPECT_EQ(valueOf(book, g4[0]), -1);
  EXPECT_EQ(valueOf(book, b3[1]), 1);  // result unknown
  EXPECT_EQ(valueOf(book, f3e5[1]), -1);
  EXPECT_EQ(valueOf(book, a3[0]), 1);

  ASSERT_EQ(runTool(dir, "results.pgn --lost-moves count").exitCode, 0);
  book = loadFrom(dir.file("velmar.vbk"));
  EXPECT_EQ(valueOf(book, e4e5[1]), 1);
  EXPECT_EQ(valueOf(book, g4[0]), 1);
}
