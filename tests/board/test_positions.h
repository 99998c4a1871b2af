// Positions for tests: a Board (and its reference twin) from FEN, with the tables built.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/oldboard.h"
#include "frontend/startup.h"

inline Board boardFromFen(const char* fen) {
  initEngineTables();
  OldBoard ob;
  resetOldBoard(ob);
  int side = White;
  EXPECT_TRUE(parseFen(ob, fen, &side, nullptr)) << fen;
  Board b;
  boardFromOld(b, ob, side);
  return b;
}

inline Board startBoard() {
  initEngineTables();
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
  std::ifstream in(std::string(VELMAR_PERFT_DIR) + "/" + name);
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
