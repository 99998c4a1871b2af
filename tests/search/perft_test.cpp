// Move-tree counts against the published perft suites, and a node-by-node cross-check of the
// bitboard position against the independent reference board.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "board/chess960.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "board/refgen.h"
#include "board/test_positions.h"
#include "search/perft.h"

namespace {

struct TreeRoot {
  Board board;
  OldBoard old;
  int side = White;
};

TreeRoot rootFrom(const std::string& fen) {
  TreeRoot s;
  s.side = readPosition(fen.c_str(), s.old, s.board);
  return s;
}

void checkSuite(const char* name, bool deep) {
  const uint64_t budget = perftBudget();
  const auto positions = loadPerftSuite(name);
  ASSERT_FALSE(positions.empty()) << name;
  for (const auto& p : positions) {
    TreeRoot s = rootFrom(p.fen);
    for (size_t d = 1; d <= p.counts.size(); ++d) {
      if ((p.counts[d - 1] > budget) != deep) continue;
      uint64_t checks = 0;
      EXPECT_EQ(perft(s.board, int(d), checks), p.counts[d - 1]) << p.fen << " depth " << d;
    }
  }
}

}  // namespace

TEST(Perft, StandardSuite) { checkSuite("standard.epd", false); }
TEST(Perft, PerftSuite) { checkSuite("perftsuite.epd", false); }
TEST(Perft, StandardSuiteLong) { checkSuite("standard.epd", true); }
TEST(Perft, PerftSuiteLong) { checkSuite("perftsuite.epd", true); }

// Chess960 positions for one test: its positions are read and played as such.
struct Chess960Positions {
  Chess960Positions() { chess960 = true; }
  ~Chess960Positions() { chess960 = false; }
};

// Both generators count every start position and every position reached by random play, each
// to the deepest depth within the budget; the long test takes the others to their last depth.
void checkChess960(bool deep) {
  Chess960Positions on;
  const uint64_t budget = perftBudget() / 20;
  for (const auto& p : loadPerftSuite("chess960.epd")) {
    TreeRoot s = rootFrom(p.fen);
    const int shallow = std::max(depthWithin(p, budget), 1);
    if (deep && size_t(shallow) == p.counts.size()) continue;
    const int depth = deep ? int(p.counts.size()) : shallow;
    const uint64_t expected = p.counts[size_t(depth - 1)];
    uint64_t checks = 0;
    EXPECT_EQ(perft(s.board, depth, checks), expected) << p.fen << " depth " << depth;
    EXPECT_EQ(referencePerft(s.old, s.side, depth), expected) << p.fen << " depth " << depth;
  }
}

TEST(Perft, Chess960Suite) { checkChess960(false); }
TEST(Perft, Chess960SuiteLong) { checkChess960(true); }

// The suite stops at depth 4. These depth-5 and depth-6 counts, for a start position and three
// positions of play (two with castling rights left, one with none), are the ones both generators
// agreed on when they were taken: held here so that neither generator can drift alone.
TEST(Perft, Chess960DeepLong) {
  struct Deep {
    size_t line;
    uint64_t counts[2];
  };
  const Deep deep[] = {{1, {4975808, 121983565}},
                       {1063, {1683751, 55313736}},
                       {1089, {7205282, 236588880}},
                       {1109, {5109252, 142902334}}};
  Chess960Positions on;
  const auto positions = loadPerftSuite("chess960.epd");
  for (const Deep& d : deep) {
    TreeRoot s = rootFrom(positions.at(d.line - 1).fen);
    for (int depth = 5; depth <= 6; ++depth) {
      uint64_t checks = 0;
      const uint64_t expected = d.counts[depth - 5];
      EXPECT_EQ(perft(s.board, depth, checks), expected) << "line " << d.line << " depth " << depth;
      EXPECT_EQ(referencePerft(s.old, s.side, depth), expected) << "line " << d.line << " depth " << depth;
    }
  }
}

TEST(Perft, CountsChecksOfInnerNodes) {
  TreeRoot s = rootFrom("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  const uint64_t expected[][2] = {{1, 0}, {20, 0}, {400, 0}, {8902, 0}, {197281, 12}};
  for (int depth = 0; depth <= 4; ++depth) {
    uint64_t checks = 0;
    EXPECT_EQ(perft(s.board, depth, checks), expected[depth][0]);
    EXPECT_EQ(checks, expected[depth][1]) << "depth " << depth;
  }
}

namespace {

// Walks the tree on both boards at once: the two generators must agree on the move set, the
// two boards on the position, and make/unmake must restore the Board bit for bit.
void crossCheck(TreeRoot& s, int depth) {
  Move moves[MaxMoves];
  RefMove refs[MaxRefMoves];
  const int n = generateMoves(s.board, moves);
  const int r = generateMovesOld(s.old, s.side, refs);
  const std::string fen = boardToFen(s.board);
  ASSERT_EQ(n, r) << fen;
  ASSERT_EQ(oldBoardToFen(s.old, s.side), fen);
  ASSERT_EQ(bool(s.old.check & 1), bool(s.board.st.check)) << fen;
  ASSERT_TRUE(boardConsistent(s.board)) << fen;
  if (depth == 0) return;

  for (int i = 0; i < n; ++i) {
    const Move m = moves[i];
    int match = -1;
    for (int j = 0; j < r; ++j)
      if (refs[j].packed == packMove(m)) match = j;
    ASSERT_GE(match, 0) << fen << " " << int(m.from) << "-" << int(m.to);

    const Board before = s.board;
    const OldBoard oldBefore = s.old;
    UndoInfo undo;
    const uint32_t mask = makeMove(s.board, m, undo);
    ASSERT_TRUE(boardConsistent(s.board)) << fen;
    for (int w = 0; w < BoardWords; ++w) {
      if (mask & wordBit(w)) continue;
      ASSERT_EQ(boardWord(before, w), boardWord(s.board, w)) << "unsaved word " << w;
    }
    makeMoveOld(s.old, s.side, refs[match]);
    s.side ^= 1;

    crossCheck(s, depth - 1);

    s.side ^= 1;
    s.old = oldBefore;
    unmakeMove(s.board, mask, undo);
    ASSERT_EQ(std::memcmp(&before, &s.board, sizeof before), 0) << "unmake after " << fen;
  }
}

// Every `stride`-th position of the suite, each as deep as `leaves` allows; up to the first fault.
void crossCheckSuite(const char* name, uint64_t leaves, size_t stride = 1) {
  const auto positions = loadPerftSuite(name);
  for (size_t i = 0; i < positions.size() && !::testing::Test::HasFatalFailure(); i += stride) {
    TreeRoot s = rootFrom(positions[i].fen);
    crossCheck(s, depthWithin(positions[i], leaves));
  }
}

}  // namespace

TEST(Perft, BoardsAgreeAtEveryNode) {
  for (const char* suite : {"standard.epd", "perftsuite.epd"})
    crossCheckSuite(suite, std::min<uint64_t>(perftBudget() / 50, 100000));
}

TEST(Perft, BoardsAgreeAtEveryNodeOfChess960Trees) {
  Chess960Positions on;
  crossCheckSuite("chess960.epd", std::min<uint64_t>(perftBudget() / 500, 10000), 5);
}
