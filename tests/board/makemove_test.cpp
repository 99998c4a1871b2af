// Make/unmake: the incremental keys, rights and material against the rules of the game.
#include <gtest/gtest.h>

#include <cstring>

#include "board/keys.h"
#include "board/makemove.h"
#include "board/movetext.h"
#include "board/test_positions.h"

namespace {

Move legal(const Board& b, const char* uci) {
  UciMove um;
  Move m;
  EXPECT_TRUE(parseUciMove(uci, um));
  EXPECT_TRUE(findLegalMove(b, um, m)) << uci << " in " << boardToFen(b);
  return m;
}

int restoreEntries(const UndoInfo& u) {
  int n = 0;
  while (n < 4 && u.restore[2 * n]) ++n;
  return n;
}

// Plays m with an undo record, checks the result is consistent, and that unmake restores all.
uint32_t playAndUndo(Board& b, Move m, Board& after, UndoInfo& u) {
  const Board before = b;
  const uint32_t mask = makeMove(b, m, u);
  EXPECT_TRUE(boardConsistent(b));
  after = b;
  unmakeMove(b, mask, u);
  EXPECT_EQ(std::memcmp(&before, &b, sizeof b), 0);
  return mask;
}

}  // namespace

TEST(Keys, FirstOutputAfterSeedingIsTheTurnKey) {
  initEngineTables();
  KeyRandom rng;
  EXPECT_EQ(rng.next(), zobristTurn[1]);
  EXPECT_NE(zobristTurn[1], 0u);
  EXPECT_EQ(zobristEp[E4], zobristEp[E4]);
  EXPECT_EQ(zobristEp[E2], 0u);  // only rows 3 and 4 carry ep keys
  EXPECT_EQ(zobristCastle[White][0], 0u);
}

TEST(Board, StartPositionStatistics) {
  Board b = startBoard();
  EXPECT_EQ(b.mat.tmat, 6550);
  EXPECT_EQ(b.mat.tmatWhite, 3275);
  EXPECT_EQ(b.mat.dmat, 0);
  EXPECT_EQ(b.mat.pair[White], 3);
  EXPECT_EQ(b.mat.pair[Black], 3);
  EXPECT_EQ(b.st.castRights[White], 0x18);
  const uint64_t key = 8ull | 8ull << 6 | 2ull << 12 | 2ull << 18 | 2ull << 24 | 2ull << 30 | 2ull << 36 |
                       2ull << 42 | 1ull << 48 | 1ull << 54;
  EXPECT_EQ(b.materialKey, key);
  EXPECT_EQ(boardToFen(b), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0");
  // The FEN route gives the very same Board as the direct reset.
  Board viaFen = boardFromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  EXPECT_EQ(std::memcmp(&viaFen, &b, sizeof b), 0);
}

TEST(Board, FlipTwiceRestoresAndFlipMirrors) {
  Board b = boardFromFen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1");
  Board f = b;
  flipBoard(f);
  EXPECT_EQ(boardToFen(f), "r3k2r/pppbbppp/2n2q1P/1P2p3/3pn3/BN2PNP1/P1PPQPB1/R3K2R b KQkq - 0");
  flipBoard(f);
  EXPECT_EQ(f.hash, b.hash);
  EXPECT_EQ(std::memcmp(&f, &b, sizeof b), 0);
}

TEST(MakeMove, DoubleStepSetsEpUntilTheReply) {
  Board b = startBoard();
  doMove(b, legal(b, "e2e4"));
  EXPECT_EQ(b.st.ep, E4);
  EXPECT_EQ(b.st.fiftyCounter, 0);
  Board fresh = b;
  recomputeDerived(fresh);
  EXPECT_EQ(fresh.hash, b.hash);
  EXPECT_NE(zobristEp[E4], 0u);
  doMove(b, legal(b, "g8f6"));
  EXPECT_EQ(b.st.ep, 0);
  EXPECT_EQ(b.st.fiftyCounter, 1);
}

TEST(MakeMove, CastlingMovesRookAndSavesItsWords) {
  Board b = boardFromFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
  Board after;
  UndoInfo u;
  const uint32_t mask = playAndUndo(b, legal(b, "e1g1"), after, u);
  EXPECT_EQ(after.st.kingSquare[White], G1);
  EXPECT_EQ(after.mailbox[F1], mailboxCode(White, Rook));
  EXPECT_EQ(after.mailbox[H1], 0);
  EXPECT_EQ(after.st.castRights[White], 0);
  EXPECT_EQ(after.st.castRights[Black], 0x18);
  EXPECT_EQ(mask, wordBit(0) | wordBit(1) | wordBit(8) | wordBit(12) | wordBit(14));
  EXPECT_EQ(restoreEntries(u), 4);

  playAndUndo(b, legal(b, "e1c1"), after, u);
  EXPECT_EQ(after.mailbox[D1], mailboxCode(White, Rook));
  EXPECT_EQ(after.mailbox[A1], 0);
}

TEST(MakeMove, RookCapturesAndRookMovesTakeOnlyTheirRight) {
  // A black rook takes the h1 rook: white keeps only the queen-side right.
  Board b = boardFromFen("4k3/8/8/8/8/8/7r/R3K2R b KQ - 0 1");
  Board after;
  UndoInfo u;
  playAndUndo(b, legal(b, "h2h1"), after, u);
  EXPECT_EQ(after.st.castRights[White], 0x10);
  // Taking a rook on h2 touches no right.
  b = boardFromFen("4k3/8/8/8/8/8/r6R/R3K2R b KQ - 0 1");
  playAndUndo(b, legal(b, "a2h2"), after, u);
  EXPECT_EQ(after.st.castRights[White], 0x18);
  // The a1 rook leaving clears the queen-side right; the h-rook moving later clears the other.
  b = boardFromFen("4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1");
  doMove(b, legal(b, "a1a3"));
  EXPECT_EQ(b.st.castRights[White], 0x08);
  doMove(b, legal(b, "e8d8"));
  doMove(b, legal(b, "a3h3"));
  EXPECT_EQ(b.st.castRights[White], 0x08);  // a rook off its home row is no castling rook
  doMove(b, legal(b, "d8e8"));
  doMove(b, legal(b, "h1h2"));
  EXPECT_EQ(b.st.castRights[White], 0);
}

TEST(MakeMove, BishopPairFollowsCapturesAndPromotions) {
  Board b = boardFromFen("4k3/2P5/8/8/8/8/2b1b3/3QK3 w - - 0 1");
  EXPECT_EQ(b.mat.pair[Black], 1);
  Board after;
  UndoInfo u;
  playAndUndo(b, legal(b, "d1c2"), after, u);
  EXPECT_EQ(after.mat.pair[Black], 0);
  b = boardFromFen("4k3/2P5/8/8/8/8/8/2B1K3 w - - 0 1");
  EXPECT_EQ(b.mat.pair[White], 0);
  playAndUndo(b, legal(b, "c7c8b"), after, u);
  EXPECT_EQ(after.mat.pair[White], 1);
}

TEST(MakeMove, EnPassantRestoresTheCapturedPawn) {
  Board b = boardFromFen("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1");
  Board after;
  UndoInfo u;
  const uint32_t mask = playAndUndo(b, legal(b, "e5d6"), after, u);
  EXPECT_TRUE(mask & wordBit(WordPawnKey));
  EXPECT_EQ(restoreEntries(u), 3);
  EXPECT_EQ(after.mailbox[D5], 0);
  EXPECT_EQ(after.pieces(Pawn, Black), 0u);
  EXPECT_EQ(b.mailbox[D5], mailboxCode(Black, Pawn));
}

TEST(MakeMove, PromotionWithCaptureUpdatesMaterial) {
  Board b = boardFromFen("4kn2/4P3/8/8/8/8/8/4K3 w - - 0 1");
  Board after;
  UndoInfo u;
  const uint32_t mask = playAndUndo(b, legal(b, "e7f8q"), after, u);
  EXPECT_EQ(after.materialKey, materialKeyUnit(Queen, White));
  EXPECT_EQ(after.mat.dmat - b.mat.dmat, 975 - 75 + 325);
  EXPECT_EQ(after.mat.tmat - b.mat.tmat, 975 - 325);
  EXPECT_TRUE(mask & wordBit(WordMaterialKey));
  EXPECT_TRUE(after.st.check);
}

TEST(MakeMove, NullMovePassesTheTurn) {
  Board b = startBoard();
  doMove(b, legal(b, "e2e4"));
  const Board before = b;
  UndoInfo u;
  const uint32_t mask = makeNullMove(b, u);
  EXPECT_EQ(b.st.turn, White);
  EXPECT_EQ(b.st.ep, 0);
  Board fresh = b;
  recomputeDerived(fresh);
  EXPECT_EQ(fresh.hash, b.hash);
  unmakeMove(b, mask, u);
  EXPECT_EQ(std::memcmp(&before, &b, sizeof b), 0);
}
