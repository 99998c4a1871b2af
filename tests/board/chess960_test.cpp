// Chess960 positions: the castling field in both notations and what is written back, and the
// castling starts that break code written for the standard one, each played by both generators.
#include <gtest/gtest.h>

#include <string>

#include "board/chess960.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "board/movetext.h"
#include "board/refgen.h"
#include "board/test_positions.h"

namespace {

struct Chess960Game : ::testing::Test {
  void SetUp() override { chess960 = true; }
  void TearDown() override { chess960 = false; }
};

// The castling moves of both generators, as UCI text, and the position after the first.
struct Castling {
  std::string bitboard, reference, after;
};

Castling castlingIn(const char* fen) {
  OldBoard ob;
  Board b;
  const int side = readPosition(fen, ob, b);
  Castling c;
  Move moves[MaxMoves];
  const int n = generateMoves(b, moves);
  for (int i = 0; i < n; ++i) {
    if (!isCastle(moves[i])) continue;
    c.bitboard += (c.bitboard.empty() ? "" : " ") + moveToUci(moves[i]);
    if (!c.after.empty()) continue;
    Board played = b;
    UndoInfo undo;
    const uint32_t mask = makeMove(played, moves[i], undo);
    c.after = boardToFen(played);
    unmakeMove(played, mask, undo);
    EXPECT_EQ(boardToFen(played), boardToFen(b));
    OldBoard old = ob;
    makeMoveOld(old, side, RefMove{packMove(moves[i]), 0, 0});
    EXPECT_EQ(oldBoardToFen(old, side ^ 1), c.after) << fen;
  }
  RefMove refs[MaxRefMoves];
  const int r = generateMovesOld(ob, side, refs);
  for (int i = 0; i < r; ++i)
    if (refs[i].flags & RefCastle) c.reference += (c.reference.empty() ? "" : " ") + packedToUci(refs[i].packed);
  return c;
}

std::string written(const char* fen) {
  const Board b = boardFromFen(fen);
  return boardToFen(b);
}

}  // namespace

// Rook files (Shredder-FEN) and KQkq (X-FEN) read alike; KQkq is written for a wing's outermost
// rook, its file for another; a right whose rook or king is not there is dropped.
TEST_F(Chess960Game, CastlingFieldsInBothNotations) {
  const char* start = "bqnb1rkr/pp3ppp/3ppn2/2p5/5P2/P2P4/NPP1P1PP/BQ1BNRKR w ";
  for (const char* field : {"HFhf", "KQkq"})
    EXPECT_EQ(written((std::string(start) + field + " - 2 9").c_str()), std::string(start) + "KQkq - 2");
  EXPECT_EQ(written("4k3/8/8/8/8/8/8/RR2K3 w B - 0 1"), "4k3/8/8/8/8/8/8/RR2K3 w B - 0");
  EXPECT_EQ(written("4k3/8/8/8/8/8/8/RR2K3 w Q - 0 1"), "4k3/8/8/8/8/8/8/RR2K3 w Q - 0");
  EXPECT_EQ(written("r3k1r1/8/8/8/8/8/8/4K3 b kq - 0 1"), "r3k1r1/8/8/8/8/8/8/4K3 b kq - 0");
  EXPECT_EQ(written("4k3/8/8/8/8/8/8/R3K2R w CDG - 0 1"), "4k3/8/8/8/8/8/8/R3K2R w - - 0");
  EXPECT_EQ(written("4k3/8/8/8/8/8/4K3/R6R w KQ - 0 1"), "4k3/8/8/8/8/8/4K3/R6R w - - 0");
}

TEST_F(Chess960Game, CastlingFromAnyStart) {
  struct Case {
    const char* name;
    const char* fen;
    const char* moves;  // the castling moves, king side first
    const char* after;  // the position after the first of them
  } cases[] = {
      {"king stays", "4k3/8/8/8/8/8/8/6KR w K - 0 1", "g1h1", "4k3/8/8/8/8/8/8/5RK1 b - - 1"},
      {"rook stays", "4k3/8/8/8/8/8/8/4KR2 w K - 0 1", "e1f1", "4k3/8/8/8/8/8/8/5RK1 b - - 1"},
      {"they swap", "4k3/8/8/8/8/8/8/5KR1 w K - 0 1", "f1g1", "4k3/8/8/8/8/8/8/5RK1 b - - 1"},
      {"rook on the king's target", "4k3/8/8/8/8/8/8/1K4R1 w K - 0 1", "b1g1", "4k3/8/8/8/8/8/8/5RK1 b - - 1"},
      {"queen side, king on b", "4k3/8/8/8/8/8/8/RK6 w Q - 0 1", "b1a1", "4k3/8/8/8/8/8/8/2KR4 b - - 1"},
      {"one right of two rooks", "1r2k1r1/8/8/8/8/8/8/R3K2R b k - 0 1", "e8g8", "1r3rk1/8/8/8/8/8/8/R3K2R w - - 1"},
      {"target attacked through the rook's square", "4k3/8/8/8/8/8/8/rR2K3 w Q - 0 1", "", ""},
      {"the same without the attacker", "4k3/8/8/8/8/8/8/1R2K3 w Q - 0 1", "e1b1", "4k3/8/8/8/8/8/8/2KR4 b - - 1"},
      {"path attacked", "4k3/8/8/8/8/8/5r2/1K4R1 w K - 0 1", "", ""},
      {"in check", "4k3/8/8/8/8/8/6r1/6KR w K - 0 1", "", ""},
      {"a piece in the rook's way", "4k3/8/8/8/8/8/8/RN2K3 w Q - 0 1", "", ""},
  };
  for (const Case& c : cases) {
    const Castling found = castlingIn(c.fen);
    EXPECT_EQ(found.bitboard, c.moves) << c.name;
    EXPECT_EQ(found.reference, c.moves) << c.name;
    EXPECT_EQ(found.after, c.after) << c.name;
  }
}

// Off, the standard game's castling: the king's two-step, and nothing from another start.
TEST(Chess960Off, CastlingIsTheStandardGames) {
  EXPECT_EQ(castlingIn("4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1").bitboard, "e1g1 e1c1");
  EXPECT_EQ(castlingIn("4k3/8/8/8/8/8/8/4KR2 w K - 0 1").bitboard, "");
}
