// The generators' promotion order; on move trees, the legal generator's order, and the
// pseudo-legal generators with isLegal, the pin set and the attack map against the legal
// generator and slow forms. Move scores are held by the bench signature.
#include "board/movegen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/movetext.h"
#include "board/see.h"
#include "board/test_positions.h"

namespace {

std::string text(const Move* moves, int n, int from = -1) {
  std::string out;
  for (int i = 0; i < n; ++i) {
    if (from >= 0 && moves[i].from != from) continue;
    if (!out.empty()) out += ' ';
    out += moveToUci(moves[i]);
  }
  return out;
}

}  // namespace

// Promotions: queen, rook, bishop, knight from the legal generator; the tactical one gives the
// queen alone, or all four (knight before bishop) in its full form. Which promotions exist, and
// which legal moves and captures, is held against the perft counts and the reference generator.
TEST(MoveGen, PromotionsInEachGenerator) {
  const Board b = boardFromFen("3r4/4P3/8/8/8/8/k7/4K3 w - - 0 1");
  Move moves[MaxMoves];
  EXPECT_EQ(text(moves, generateMoves(b, moves), E7), "e7d8q e7d8r e7d8b e7d8n e7e8q e7e8r e7e8b e7e8n");
  EXPECT_EQ(text(moves, generateTactical(b, moves, false)), "e7d8q e7e8q");
  EXPECT_EQ(text(moves, generateTactical(b, moves, true)), "e7d8q e7d8r e7d8n e7d8b e7e8q e7e8r e7e8n e7e8b");
}

namespace {

// The legal generator's order: pieces by square, then castling (king side first), then the other
// king moves; targets increase within a piece.
std::pair<int, int> orderKey(const Board& b, Move m) {
  if (m.from != b.kingSquare(b.turn())) return {m.from, m.to};
  return isCastle(m) ? std::pair(64, int(m.to < m.from)) : std::pair(65, int(m.to));
}

bool contains(const Move* moves, int n, Move m) {
  return std::any_of(moves, moves + n, [m](Move x) {
    return moveEqual(x, m) && (x.flags & ~MoveGoodCapture) == (m.flags & ~MoveGoodCapture);
  });
}

Bitboard slowAttackMap(const Board& b, int c) {
  const Bitboard occupancy = b.occupancy() & ~bitOf(b.kingSquare(c ^ 1));
  Bitboard map = 0;
  for (int s = 0; s < 64; ++s)
    if (attackersOf(b, s, c, occupancy)) map |= bitOf(s);
  return map;
}

// Own pieces whose removal would let an enemy slider see the king.
Bitboard slowPinned(const Board& b) {
  const int m = b.turn(), k = b.kingSquare(m);
  const auto sliders = [&](Bitboard occupancy) {
    const Bitboard q = b.pieces(Queen, m ^ 1);
    return (rookAttacks(k, occupancy) & (b.pieces(Rook, m ^ 1) | q)) |
           (bishopAttacks(k, occupancy) & (b.pieces(Bishop, m ^ 1) | q));
  };
  Bitboard pinned = 0;
  for (int s = 0; s < 64; ++s)
    if (s != k && (b.occupied(m) & bitOf(s)) &&
        (sliders(b.occupancy() & ~bitOf(s)) & ~sliders(b.occupancy())))
      pinned |= bitOf(s);
  return pinned;
}

void checkNode(const Board& b) {
  const std::string fen = boardToFen(b);
  Move legal[MaxMoves], pseudo[2 * MaxMoves];
  const int n = generateMoves(b, legal);
  for (int i = 1; i < n; ++i) ASSERT_LE(orderKey(b, legal[i - 1]), orderKey(b, legal[i])) << fen;
  const int t = generateTactical(b, pseudo, true);
  const int q = generateQuiet(b, pseudo + t);
  for (int i = 0; i < t + q; ++i) ASSERT_EQ(i < t, isCapture(pseudo[i]) || pseudo[i].promotion) << fen;
  for (int i = 0; i < n; ++i)
    ASSERT_TRUE(contains(pseudo, t + q, legal[i])) << fen << " " << moveToUci(legal[i]);

  ASSERT_EQ(attackMap(b, White), slowAttackMap(b, White)) << fen;
  ASSERT_EQ(attackMap(b, Black), slowAttackMap(b, Black)) << fen;
  const Bitboard pinned = pinnedPieces(b);
  ASSERT_EQ(pinned, slowPinned(b)) << fen;
  for (int s = 0; s < 64; ++s)
    ASSERT_EQ(isAttacked(b, s, b.turn(), true), attackersOf(b, s, b.turn() ^ 1, b.occupancy()) != 0) << fen;
  if (b.inCheck()) return;  // isLegal answers only outside check
  int legalCount = 0;
  for (int i = 0; i < t + q; ++i) {
    if (!isLegal(b, pseudo[i], pinned)) continue;
    ++legalCount;
    ASSERT_TRUE(contains(legal, n, pseudo[i])) << fen << " " << moveToUci(pseudo[i]);
  }
  ASSERT_EQ(legalCount, n) << fen;
}

void walk(const Board& b, int depth, uint64_t& nodes) {
  ++nodes;
  checkNode(b);
  Move moves[MaxMoves];
  const int n = depth > 0 ? generateMoves(b, moves) : 0;
  for (int i = 0; i < n && !::testing::Test::HasFatalFailure(); ++i) {
    Board next = b;
    doMove(next, moves[i]);
    walk(next, depth - 1, nodes);
  }
}

}  // namespace

TEST(MoveGen, PseudoLegalGeneratorsAgreeOnTrees) {
  const uint64_t budget = std::max<uint64_t>(perftBudget() / 250, 100);
  uint64_t nodes = 0;
  for (const PerftLine& line : loadPerftSuite("perftsuite.epd")) {
    walk(boardFromFen(line.fen.c_str()), std::max(depthWithin(line, budget) - 1, 0), nodes);
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(nodes, 10000u);  // the suite was found and walked
}
