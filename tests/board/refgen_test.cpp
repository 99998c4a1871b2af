// The reference generator and make-move, checked against published perft counts and against
// full recomputation of what they keep incrementally.
#include "board/refgen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "board/test_positions.h"

namespace {

struct Position {
  OldBoard ob;
  int side;
};

Position fromFen(const std::string& fen) {
  Position p{};
  resetOldBoard(p.ob);
  EXPECT_TRUE(parseFen(p.ob, fen.c_str(), &p.side, nullptr)) << fen;
  return p;
}

std::vector<RefMove> legalMoves(const Position& p) {
  std::vector<RefMove> moves(MaxRefMoves);
  moves.resize(generateMovesOld(p.ob, p.side, moves.data()));
  return moves;
}

int countMoves(const Position& p, const std::string& uci) {
  auto moves = legalMoves(p);
  return int(
      std::count_if(moves.begin(), moves.end(), [&](RefMove m) { return packedToUci(m.packed) == uci; }));
}

// Plays the legal move written as uci; fails the test when it is not legal here.
Position play(const Position& p, const std::string& uci) {
  for (RefMove m : legalMoves(p)) {
    if (packedToUci(m.packed) != uci) continue;
    Position next = p;
    makeMoveOld(next.ob, p.side, m);
    next.side ^= 1;
    return next;
  }
  ADD_FAILURE() << uci << " is not legal in " << oldBoardToFen(p.ob, p.side);
  return p;
}

// The published counts up to 20 million leaves as the reference generator's own oracle, some 400
// million nodes; run on request with the long tests. The normal run holds it against the bitboard
// generator, node by node (Perft.BoardsAgreeAtEveryNode), and that one against the same counts.
TEST(RefGenTest, PerftMatchesPublishedCountsLong) {
  int checked = 0;
  for (const char* suite : {"perftsuite.epd", "standard.epd"}) {
    for (const PerftLine& line : loadPerftSuite(suite)) {
      const Position p = fromFen(line.fen);
      for (int depth = 1; depth <= depthWithin(line, 20000000); ++depth, ++checked)
        EXPECT_EQ(line.counts[depth - 1], referencePerft(p.ob, p.side, depth)) << line.fen << " depth " << depth;
    }
  }
  EXPECT_GT(checked, 700);
}

// Walks a small tree and checks at every node what makeMoveOld keeps incrementally (but the last
// target and the material sums, which nothing reads) against a full recomputation, and that the
// moves' notation is unambiguous and its mate marks true.
void walk(const OldBoard& ob, int side, int depth, int notationDepth) {
  OldBoard recomputed = ob;
  recomputeOldBoard(recomputed, side, true);
  ASSERT_EQ(recomputed.hash, ob.hash) << oldBoardToFen(ob, side);
  ASSERT_EQ(recomputed.occupancy, ob.occupancy);
  ASSERT_EQ(recomputed.kingSquare[White], ob.kingSquare[White]);
  ASSERT_EQ(recomputed.kingSquare[Black], ob.kingSquare[Black]);
  ASSERT_EQ(recomputed.check, ob.check) << oldBoardToFen(ob, side);
  ASSERT_EQ(oldSquareAttacked(ob, ob.kingSquare[side], side ^ 1), ob.check != 0);
  if (depth == 0) return;

  RefMove moves[MaxRefMoves];
  int n = generateMovesOld(ob, side, moves);
  std::set<std::string> notations;
  for (int i = 0; i < n; ++i) {
    OldBoard next = ob;
    makeMoveOld(next, side, moves[i]);
    if (notationDepth > 0) {
      std::string text = oldMoveToSan(ob, side, moves[i]);
      ASSERT_TRUE(notations.insert(text).second) << text << " twice in " << oldBoardToFen(ob, side);
      RefMove replies[MaxRefMoves];
      bool mate = next.check && generateMovesOld(next, side ^ 1, replies) == 0;
      ASSERT_EQ(mate, text.back() == '#') << text;
      ASSERT_EQ(next.check && !mate, text.back() == '+') << text;
    }
    walk(next, side ^ 1, depth - 1, notationDepth - 1);
  }
}

TEST(RefGenTest, IncrementalStateMatchesRecomputation) {
  const char* fens[] = {
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
      "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
      "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
      "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
      "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
  };
  for (const char* fen : fens) {
    Position p = fromFen(fen);
    recomputeOldBoard(p.ob, p.side, true);  // FEN parsing leaves ep out of the key
    walk(p.ob, p.side, 3, 2);
  }
}

// What the perft suites cannot reach: made-up ep fields (FEN parsing drops these) that give no
// capture. En passant (where it would expose the king too) and castling are held against the
// bitboard generator at every node of the perft cross-check.
TEST(RefGenTest, LegalityEdgeCases) {
  Position own = fromFen("4k3/8/8/3PP3/8/8/8/4K3 w - - 0 1");
  setOldEp(own.ob, D5);
  EXPECT_EQ(0, countMoves(own, "e5d6"));
  Position blocked = fromFen("4k3/8/3n4/3pP3/8/8/8/4K3 w - - 0 1");
  setOldEp(blocked.ob, D5);
  EXPECT_EQ(1, countMoves(blocked, "e5d6"));
  EXPECT_EQ(Pawn | OldBlack, play(blocked, "e5d6").ob.squares[D5]);
  // Promotions come as queen, rook, bishop, knight.
  std::vector<std::string> order;
  for (RefMove m : legalMoves(fromFen("3r2k1/4P3/8/8/8/8/8/4K3 w - - 0 1")))
    if (packedTo(m.packed) == D8) order.push_back(packedToUci(m.packed));
  EXPECT_EQ((std::vector<std::string>{"e7d8q", "e7d8r", "e7d8b", "e7d8n"}), order);
}

// The bookkeeping of the reference make-move that neither the walk above nor the FEN
// comparison of the perft cross-check can see: the moved bits, which enter the book keys.
TEST(RefGenTest, MadeMovesKeepTheirMarks) {
  Position e4 = play(fromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 3 1"), "e2e4");
  EXPECT_EQ(OldMoved | Pawn, e4.ob.squares[E4]);
  Position queened = play(fromFen("3r2k1/4P3/8/8/8/8/8/4K3 w - - 0 1"), "e7d8q");
  EXPECT_EQ(Queen | OldMoved, queened.ob.squares[D8]);
  // Castling keeps the king's and rook's bytes and bars the side from castling instead.
  Position castled = play(fromFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1"), "e1g1");
  EXPECT_EQ(King, castled.ob.squares[G1]);
  EXPECT_EQ(Rook, castled.ob.squares[F1]);
  EXPECT_TRUE(castled.ob.flagsEp & NoCastleWhite);
}

}  // namespace
