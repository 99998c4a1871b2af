// The legal generator's rules, order and scores; on move trees, the pseudo-legal generators
// with isLegal, the pin set and the attack map against the legal generator and slow forms.
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

struct Generated {
  Move moves[MaxMoves];
  int32_t scores[MaxMoves];
  int n = 0;

  // The moves in order as UCI text; with `from`, only those of the piece on that square.
  std::string text(int from = -1) const {
    std::string out;
    for (int i = 0; i < n; ++i) {
      if (from >= 0 && moves[i].from != from) continue;
      if (!out.empty()) out += ' ';
      out += moveToUci(moves[i]);
    }
    return out;
  }
  int find(const char* uci) const {
    for (int i = 0; i < n; ++i)
      if (moveToUci(moves[i]) == uci) return i;
    ADD_FAILURE() << uci << " not generated";
    return 0;
  }
};

Generated legalMoves(const char* fen, const HistoryTable* history = nullptr) {
  Generated g;
  g.n = generateMoves(boardFromFen(fen), g.moves, g.scores, history);
  return g;
}

}  // namespace

TEST(MoveGen, PinsAndChecks) {
  // A pinned rook slides along the pin and may take the pinner; a pinned knight is frozen.
  EXPECT_EQ(legalMoves("4r2k/8/8/8/4R3/8/8/4K3 w - - 0 1").text(E4), "e4e8 e4e7 e4e6 e4e5 e4e3 e4e2");
  EXPECT_EQ(legalMoves("4r2k/8/8/8/4N3/8/8/4K3 w - - 0 1").text(E4), "");
  // d5xc6 would take both pawns off the rank between the a5 rook and the king.
  EXPECT_EQ(legalMoves("8/8/8/r1pPK3/8/8/8/7k w - c6 0 1").text(D5), "d5d6");
  EXPECT_EQ(legalMoves("8/8/8/2pPK3/8/8/8/7k w - c6 0 1").text(D5), "d5c6 d5d6");
  // Knight and bishop check at once: the queen could take either checker, but only the king moves.
  EXPECT_EQ(legalMoves("4k3/8/8/8/1b6/3n4/8/R2QK3 w - - 0 1").text(), "e1e2 e1f1");
  // Checked along the e-file, the king may not step back to e1 in the rook's shadow.
  EXPECT_EQ(legalMoves("4r2k/8/8/8/8/8/4K3/8 w - - 0 1").text(), "e2d3 e2f3 e2d2 e2f2 e2d1 e2f1");
  // A checking pawn that just double-stepped may be taken en passant; a double step may block.
  EXPECT_EQ(legalMoves("8/8/8/4k3/2pP4/8/8/3K4 b - d3 0 1").text(C4), "c4d3");
  EXPECT_EQ(legalMoves("4k3/8/8/8/1r5K/8/2P5/8 w - - 0 1").text(C2), "c2c4");
}

TEST(MoveGen, CastlingRules) {
  const struct {
    const char* fen;
    const char* castles;
  } cases[] = {
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1g1 e1c1"},
      {"4k3/8/8/8/4r3/8/8/R3K2R w KQ - 0 1", ""},           // in check
      {"4k3/8/8/8/5r2/8/8/R3K2R w KQ - 0 1", "e1c1"},       // f1 crossed under attack
      {"4k3/8/8/8/6r1/8/8/R3K2R w KQ - 0 1", "e1c1"},       // g1 attacked
      {"4k3/8/8/8/3r4/8/8/R3K2R w KQ - 0 1", "e1g1"},       // d1 attacked
      {"4k3/8/8/8/2r5/8/8/R3K2R w KQ - 0 1", "e1g1"},       // c1 attacked
      {"4k3/8/8/8/1r6/8/8/R3K2R w KQ - 0 1", "e1g1 e1c1"},  // b1 attacked: the king never crosses it
      {"4k3/8/8/8/8/8/8/RN2K1NR w KQ - 0 1", ""},           // b1 and g1 occupied
      {"4k3/8/8/8/8/8/8/R3K2R w K - 0 1", "e1g1"},
      {"r3k2r/8/8/8/8/8/8/1R2K3 b kq - 0 1", "e8g8 e8c8"},
      {"r3k2r/8/8/8/8/8/8/3RK3 b kq - 0 1", "e8g8"},
  };
  for (const auto& c : cases) {
    Generated g = legalMoves(c.fen), castles;
    for (int i = 0; i < g.n; ++i)
      if (isCastle(g.moves[i])) castles.moves[castles.n++] = g.moves[i];
    EXPECT_EQ(castles.text(), c.castles) << c.fen;
  }
}

// Scores rank captures by exchange value (<< 16) over the victim and attacker, promotions by
// piece; a quiet move is 0x160000 plus its history counter.
TEST(MoveGen, ScoresAndCaptureFlags) {
  const uint8_t good = MoveCapture | MoveGoodCapture;
  const struct {
    const char* fen;
    const char* move;
    int32_t score;
    uint8_t flags;
  } cases[] = {
      // Pawn takes a queen a pawn defends: +18, ranks pawn 1 and queen 9; the reverse is -18.
      {"4k3/8/2p5/3q4/4P3/8/8/4K3 w - - 0 1", "e4d5", 18 * 65536 + 0x300000 - 1 + 9, good},
      {"4k3/8/2p5/3p4/8/8/8/3QK3 w - - 0 1", "d1d5", -18 * 65536 + 0x100000 - 9 + 1, MoveCapture},
      {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", 0x300000, good | MoveEnPassant},
      // e7xd8 wins a rook; e8 is covered by it, so the quiet promotions lose the pawn.
      {"3r4/4P3/8/8/8/8/k7/4K3 w - - 0 1", "e7d8q", 0x310000, good},
      {"3r4/4P3/8/8/8/8/k7/4K3 w - - 0 1", "e7d8r", 0x1C0000, good},
      {"3r4/4P3/8/8/8/8/k7/4K3 w - - 0 1", "e7e8q", 0x1C0000, 0},
      {"3r4/4P3/8/8/8/8/k7/4K3 w - - 0 1", "e7e8n", 0x1C0000, 0},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1c1", 0x200000, MoveCastle | MoveCastleLong},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "g1f3", 0x160000 + 77, 0},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "e2e4", 0x160000, 0},
  };
  static HistoryTable history = {};
  history[White][Knight][F3] = 77;
  history[Black][Knight][F3] = 5;
  for (const auto& c : cases) {
    const Generated g = legalMoves(c.fen, &history);
    const int i = g.find(c.move);
    EXPECT_EQ(g.scores[i], c.score) << c.fen << " " << c.move;
    EXPECT_EQ(g.moves[i].flags, c.flags) << c.fen << " " << c.move;
  }
  // The tactical generator: queen promotions only, or all of them in its full form.
  const Board b = boardFromFen("3r4/4P3/8/8/8/8/k7/4K3 w - - 0 1");
  Generated tactical;
  tactical.n = generateTactical(b, tactical.moves, false);
  EXPECT_EQ(tactical.text(), "e7d8q e7e8q");
  tactical.n = generateTactical(b, tactical.moves, true);
  EXPECT_EQ(tactical.text(), "e7d8q e7d8r e7d8n e7d8b e7e8q e7e8r e7e8n e7e8b");
  EXPECT_EQ(legalMoves("3r4/4P3/8/8/8/8/k7/4K3 w - - 0 1").text(E7), "e7d8q e7d8r e7d8b e7d8n e7e8q e7e8r e7e8b e7e8n");
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
