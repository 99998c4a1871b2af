// Positions for tests: a Board (and its reference twin) from FEN. Both test programs build the
// engine's tables before their first test (tables_environment.cpp).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/movetext.h"
#include "board/oldboard.h"
#include "board/refgen.h"

// The position in both forms; returns the side to move.
inline int readPosition(const char* fen, OldBoard& ob, Board& b) {
  resetOldBoard(ob);
  int side = White;
  EXPECT_TRUE(parseFen(ob, fen, &side, nullptr)) << fen;
  boardFromOld(b, ob, side);
  return side;
}

inline Board boardFromFen(const char* fen) {
  OldBoard ob;
  Board b;
  readPosition(fen, ob, b);
  return b;
}

// Leaves of the reference generator's own tree.
inline uint64_t referencePerft(const OldBoard& ob, int side, int depth) {
  RefMove moves[MaxRefMoves];
  const int n = generateMovesOld(ob, side, moves);
  if (depth <= 1) return depth == 1 ? uint64_t(n) : 1;
  uint64_t leaves = 0;
  for (int i = 0; i < n; ++i) {
    OldBoard after = ob;
    makeMoveOld(after, side, moves[i]);
    leaves += referencePerft(after, side ^ 1, depth - 1);
  }
  return leaves;
}

// The legal move written `uci` in b; a failure when there is none.
inline Move uciMove(const Board& b, const char* uci) {
  UciMove um;
  Move m{};
  EXPECT_TRUE(parseUciMove(uci, um) && findLegalMove(b, um, m)) << uci << " in " << boardToFen(b);
  return m;
}

inline Board startBoard() {
  Board b;
  resetBoard(b);
  return b;
}

// One line of a suite in tests/data/perft: "fen ;D1 20 ;D2 400 ...".
struct PerftLine {
  std::string fen;
  std::vector<uint64_t> counts;  // counts[d - 1] is the leaf count at depth d
};

inline std::vector<PerftLine> loadPerftSuite(const char* name) {
  std::vector<PerftLine> lines;
  std::ifstream in(std::string(VELMAR_TEST_DATA) + "/perft/" + name);
  for (std::string text; std::getline(in, text);) {
    if (text.empty() || text[0] == '#') continue;
    std::stringstream fields(text);
    PerftLine line;
    std::getline(fields, line.fen, ';');
    for (std::string field; std::getline(fields, field, ';');) {
      std::stringstream depth(field);
      std::string label;
      uint64_t count;
      if (depth >> label >> count) line.counts.push_back(count);
    }
    if (!line.counts.empty()) lines.push_back(line);
  }
  EXPECT_FALSE(lines.empty()) << name;
  return lines;
}

// A file of tests/data, whole.
inline std::string readTestData(const char* name) {
  std::ifstream in(std::string(VELMAR_TEST_DATA) + "/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The cases of a file in tests/data, one a line, its fields split at " | "; blank lines and
// comments ('#') are skipped.
using CaseLine = std::vector<std::string>;
inline std::vector<CaseLine> loadCases(const char* name) {
  std::vector<CaseLine> cases;
  std::ifstream in(std::string(VELMAR_TEST_DATA) + "/" + name);
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    CaseLine fields;
    for (size_t at = 0, bar; ; at = bar + 3) {
      bar = line.find(" | ", at);
      fields.push_back(line.substr(at, bar - at));
      if (bar == std::string::npos) break;
    }
    cases.push_back(fields);
  }
  EXPECT_FALSE(cases.empty()) << name;
  return cases;
}

// Whether `a relation b` holds, for the relations of the case files: = != < > and |<| (the size
// of a below b).
inline bool holds(int a, const std::string& relation, int b) {
  if (relation == "=") return a == b;
  if (relation == "!=") return a != b;
  if (relation == "<") return a < b;
  if (relation == ">") return a > b;
  if (relation == "|<|") return std::abs(a) < b;
  ADD_FAILURE() << "no relation " << relation;
  return false;
}

// Leaves per position that the normal run walks in perft: 5000000, or VELMAR_PERFT_BUDGET (the
// sanitizer and emulated runs lower it). Tests that do more at each node take a share of it.
inline uint64_t perftBudget() {
  const char* env = std::getenv("VELMAR_PERFT_BUDGET");
  return env ? std::strtoull(env, nullptr, 10) : 5000000;
}

// The deepest depth of the line whose leaf count stays within `leaves` (0 when none does).
inline int depthWithin(const PerftLine& line, uint64_t leaves) {
  int depth = 0;
  while (size_t(depth) < line.counts.size() && line.counts[size_t(depth)] <= leaves) ++depth;
  return depth;
}
