// The staged picker against the legal generator: over whole perft trees every mode must yield
// exactly the moves it promises, each once, with the generator's flags, in stage order; plus
// the killer and history bookkeeping and the validity test for stored moves.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "board/bitboard.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "board/see.h"
#include "board/test_positions.h"
#include "search/move_picker.h"

namespace {

using Moves = std::vector<Move>;

Moves legalMoves(const Board& b) {
  Move list[MaxMoves];
  return Moves(list, list + generateMoves(b, list));
}

// Flags included: a stored move is only as good as the flags the search reads from it.
bool sameWord(Move a, Move b) { return moveWord(a) == moveWord(b); }
bool containsWord(const Moves& list, Move m) {
  return std::any_of(list.begin(), list.end(), [m](Move x) { return sameWord(x, m); });
}
bool validHere(const Moves& legal, Move m) { return !isNullMove(m) && containsWord(legal, m); }

std::string text(Move m) {
  std::string s{fileLetters[fileOf(m.from)], rankChars[rowOf(m.from)], fileLetters[fileOf(m.to)],
                rankChars[rowOf(m.to)]};
  if (m.promotion) s += " pnbrqk"[m.promotion];
  return s + "/" + std::to_string(m.flags);
}
std::string text(const Moves& list) {
  std::string s;
  for (Move m : list) s += text(m) + " ";
  return s;
}

// What the search has in hand at a node.
struct Ordering {
  Move hash;
  PlyRecord row = {};
  HistoryTable history = {};
};

Moves drain(const Board& b, PickerMode mode, const Ordering& o = Ordering{}) {
  MovePicker picker(b, 0, o.hash, mode, o.row, o.history);
  Moves out;
  for (Move m; picker.next(m);) out.push_back(m);
  return out;
}

struct Rng {  // deterministic, so every run walks the same choices
  uint64_t state = 0x9E3779B97F4A7C15ULL;
  size_t below(size_t n) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return size_t(state % n);
  }
};

Move anyOf(Rng& rng, const Moves& list) { return list.empty() ? Move{} : list[rng.below(list.size())]; }

// Stored moves as the search meets them: none, a move of this node, a stale move of the parent
// (a key collision), or a move of this node whose flags no longer agree. Killers are quiet.
Ordering randomOrdering(Rng& rng, const Moves& legal, const Moves& parent) {
  const auto stored = [&]() {
    Move m = anyOf(rng, rng.below(2) ? legal : parent);
    if (rng.below(3) == 0) m.flags ^= uint8_t(1 << rng.below(8));
    return rng.below(4) ? m : Move{};
  };
  Ordering o;
  o.hash = stored();
  o.row.mateKiller = stored();
  for (Move& k : o.row.killers) {
    k = anyOf(rng, rng.below(2) ? legal : parent);
    if (!isQuiet(k)) k = Move{};
  }
  return o;
}

// Every mode starts with the hash move, then the mate killer. Not in check each must pass the
// validity test; in check they lift the generated move they equal, whatever their flags.
Moves earlyMoves(const Moves& legal, const Ordering& o, bool inCheck) {
  Moves early;
  for (Move stored : {o.hash, o.row.mateKiller}) {
    const bool repeat = !early.empty() && moveEqual(early[0], stored);
    if (repeat || isNullMove(stored)) continue;
    if (!inCheck && validHere(legal, stored)) early.push_back(stored);
    if (inCheck) {
      for (Move m : legal)
        if (moveEqual(m, stored)) early.push_back(m);
    }
  }
  return early;
}

void expectSameWords(Moves out, Moves expected, const std::string& where) {
  const auto byWord = [](Move x, Move y) { return moveWord(x) < moveWord(y); };
  const std::string got = text(out);
  std::sort(out.begin(), out.end(), byWord);
  std::sort(expected.begin(), expected.end(), byWord);
  EXPECT_TRUE(std::equal(out.begin(), out.end(), expected.begin(), expected.end(), sameWord))
      << where << "\n got:      " << got << "\n expected: " << text(expected);
}

void expectPrefix(const Moves& out, const Moves& prefix, const std::string& where) {
  const bool ok =
      out.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), out.begin(), sameWord);
  EXPECT_TRUE(ok) << where << "\n got:    " << text(out) << "\n prefix: " << text(prefix);
}

bool givesCheck(const Board& b, Move m) {
  Board copy = b;
  doMove(copy, m);
  return copy.st.check;
}

// Quiescence, not in check: winning and even captures, queen promotions, and at the last ply the
// quiet checks short of the seventh rank that do not hang the checking piece.
Moves quiescenceMoves(const Board& b, const Moves& legal, bool checks) {
  Moves out;
  for (Move m : legal) {
    if (m.promotion && m.promotion != Queen) continue;
    if (isCapture(m) ? (m.flags & MoveGoodCapture) != 0 : m.promotion == Queen) out.push_back(m);
  }
  const int seventh = b.st.turn == White ? 1 : 6;
  for (Move m : legal) {
    if (!checks || isCapture(m) || m.promotion) continue;
    if (mailboxPiece(b.mailbox[m.from]) == Pawn && rowOf(m.to) == seventh) continue;
    if (givesCheck(b, m) && see(b, m, true) >= 0) out.push_back(m);
  }
  return out;
}

// Main search, not in check, after the early moves: good captures and promotions, killers,
// quiet moves, losing captures.
int mainStage(Move m, const Moves& legal, const Ordering& o) {
  if (isCapture(m)) return m.flags & MoveGoodCapture ? 1 : 4;
  if (m.promotion) return 1;
  for (Move k : o.row.killers)
    if (validHere(legal, k) && sameWord(k, m)) return 2;
  return 3;
}

void expectModes(const Board& b, const Moves& legal, const Ordering& o, const std::string& where) {
  const Moves early = earlyMoves(legal, o, b.st.check);
  const Moves out = drain(b, PickerMode::Main, o);
  expectSameWords(out, legal, where);
  expectPrefix(out, early, where);
  for (size_t i = early.size() + 1; i < out.size(); ++i) {
    if (b.st.check) {
      // The first killer outranks the second among the evasions.
      const Move k0 = o.row.killers[0], k1 = o.row.killers[1];
      const bool swapped = moveEqual(out[i], k0) && !moveEqual(k0, k1) &&
                           std::any_of(out.begin() + early.size(), out.begin() + i,
                                       [&](Move x) { return moveEqual(x, k1); });
      EXPECT_FALSE(swapped) << where << " killers out of order: " << text(out);
    } else {
      EXPECT_LE(mainStage(out[i - 1], legal, o), mainStage(out[i], legal, o)) << where << " " << text(out);
    }
  }
  for (const bool checks : {false, true}) {
    const std::string what = where + (checks ? " quiescence checks" : " quiescence");
    const Moves quiet = drain(b, checks ? PickerMode::QuiescenceChecks : PickerMode::Quiescence, o);
    expectPrefix(quiet, early, what);
    if (b.st.check) {
      expectSameWords(quiet, legal, what);  // every evasion, as in the main search
      continue;
    }
    const Moves tactical = quiescenceMoves(b, legal, false);
    Moves expected = quiescenceMoves(b, legal, checks);
    for (Move m : early)
      if (!containsWord(expected, m)) expected.push_back(m);
    expectSameWords(quiet, expected, what);
    for (size_t i = early.size() + 1; i < quiet.size(); ++i) {
      EXPECT_FALSE(containsWord(tactical, quiet[i]) && !containsWord(tactical, quiet[i - 1]))
          << what << " capture after a quiet check: " << text(quiet);
    }
  }
}

// Calls visit(board, legal moves, parent's legal moves) at every node of each suite position's
// tree, as deep as the leaf budget allows (sanitizer runs lower the perft budget).
template <class Visit>
void walk(Board& b, int depth, const Moves& parent, Visit& visit) {
  const Moves legal = legalMoves(b);
  visit(b, legal, parent);
  if (depth == 0 || testing::Test::HasFailure()) return;
  for (Move m : legal) {
    UndoInfo undo;
    const uint32_t mask = makeMove(b, m, undo);
    walk(b, depth - 1, legal, visit);
    unmakeMove(b, mask, undo);
  }
}

template <class Visit>
void walkSuites(Visit visit) {
  const uint64_t budget = std::min<uint64_t>(perftBudget() / 2000, 2500);
  for (const char* suite : {"standard.epd", "perftsuite.epd"}) {
    const auto positions = loadPerftSuite(suite);
    ASSERT_FALSE(positions.empty()) << suite;
    for (const auto& p : positions) {
      Board b = boardFromFen(p.fen.c_str());
      walk(b, depthWithin(p, budget), Moves{}, visit);
    }
  }
}

// The word the generators would give a move from `from` to `to`: only the rules of movement
// and legality decide whether it is valid.
Move naturalMove(const Board& b, int from, int to) {
  Move m{uint8_t(from), uint8_t(to), 0, uint8_t(b.mailbox[to] ? MoveCapture : 0)};
  const int piece = mailboxPiece(b.mailbox[from]);
  if (piece == Pawn && (rowOf(to) == 0 || rowOf(to) == 7)) m.promotion = Queen;
  if (piece == Pawn && !b.mailbox[to] && fileOf(to) != fileOf(from)) m.flags = MoveCapture | MoveEnPassant;
  if (piece == King && to == from + 2) m.flags = MoveCastle;
  if (piece == King && to == from - 2) m.flags = MoveCastle | MoveCastleLong;
  if (isCapture(m) && see(b, m, false) >= 0) m.flags |= MoveGoodCapture;
  return m;
}

}  // namespace

// At every node of the suites' trees: every mode yields its moves once in stage order, without
// ordering knowledge (as perft runs it) and with random, often stale, knowledge; and any word
// the search may hand over is valid exactly when the legal generator produces it.
TEST(MovePicker, OverTheSuitesTrees) {
  Rng rng;
  walkSuites([&](const Board& b, const Moves& legal, const Moves& parent) {
    for (const Ordering& o : {Ordering{}, randomOrdering(rng, legal, parent)}) {
      expectModes(b, legal, o,
                  boardToFen(b) + " hash " + text(o.hash) + " mate killer " + text(o.row.mateKiller) +
                      " killers " + text(o.row.killers[0]) + " " + text(o.row.killers[1]));
    }
    Moves candidates = parent;
    for (int i = 0; i < 4 && !legal.empty(); ++i) {
      const Move m = anyOf(rng, legal);
      for (int bit = 0; bit < 8; ++bit)
        candidates.push_back({m.from, m.to, m.promotion, uint8_t(m.flags ^ 1 << bit)});
      for (int promotion = 0; promotion <= King; ++promotion)
        candidates.push_back({m.from, m.to, uint8_t(promotion), m.flags});
    }
    Bitboard own = b.occupied(b.st.turn);
    for (int i = 0; i < 3 && own; ++i) {
      for (size_t skip = rng.below(size_t(popCount(own))); skip-- > 0;) popLowest(own);
      const int from = popLowest(own);
      for (int to = 0; to < 64; ++to) candidates.push_back(naturalMove(b, from, to));
    }
    for (Move m : candidates) {
      ASSERT_EQ(isMoveValid(b, m, pinnedPieces(b)), validHere(legal, m)) << boardToFen(b) << " " << text(m);
    }
  });
}

TEST(MovePicker, StagesOrderEarlyMovesCapturesKillersQuietMovesAndLosingCaptures) {
  Ordering o;
  o.hash = o.row.mateKiller = o.row.killers[0] = Move{E2, E4, 0, 0};
  o.row.killers[1] = Move{G1, F3, 0, 0};
  const Moves start = drain(startBoard(), PickerMode::Main, o);
  EXPECT_EQ(start.size(), 20u);
  expectPrefix(start, {{E2, E4, 0, 0}, {G1, F3, 0, 0}}, "start position");

  // Promotion, captures by victim then attacker, under-promotions. Those were generated Q, R,
  // N, B; taking the first capture moved the rook promotion into its slot, behind its equals.
  const uint8_t good = MoveCapture | MoveGoodCapture;
  expectPrefix(drain(boardFromFen("4k3/1P6/8/3r1n2/4P3/2N5/8/4K3 w - - 0 1"), PickerMode::Main),
               {{B7, B8, Queen, 0}, {E4, D5, 0, good}, {C3, D5, 0, good}, {E4, F5, 0, good},
                {B7, B8, Knight, 0}, {B7, B8, Bishop, 0}, {B7, B8, Rook, 0}},
               "captures");

  // A killer, then castling, then history lifts a rook move above the rest.
  Ordering quiet;
  quiet.history[White][Rook][A5] = 30000;
  quiet.row.killers[0] = Move{H1, H4, 0, 0};
  expectPrefix(drain(boardFromFen("4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1"), PickerMode::Main, quiet),
               {{H1, H4, 0, 0}, {E1, G1, 0, MoveCastle}, {E1, C1, 0, MoveCastle | MoveCastleLong},
                {A1, A5, 0, 0}},
               "quiet");

  // The queen taking a pawn the king guards: last in the main search, never in quiescence.
  const Board b = boardFromFen("4k3/3p4/8/8/8/8/8/3QK3 w - - 0 1");
  EXPECT_TRUE(sameWord(drain(b, PickerMode::Main).back(), Move{D1, D7, 0, MoveCapture}));
  EXPECT_TRUE(drain(b, PickerMode::Quiescence).empty());
  EXPECT_FALSE(containsWord(drain(b, PickerMode::QuiescenceChecks), Move{D1, D7, 0, MoveCapture}));
}

// The quiet checks the suites' trees rarely show, each position also checked in full.
TEST(MovePicker, QuiescenceFindsDiscoveredAndCastlingChecks) {
  const struct {
    const char* fen;
    Move check;
    bool included;
  } cases[] = {
      // The knight uncovers the bishop on b1; castled, the rook checks up the f-file.
      {"8/8/8/5k2/8/3N4/8/1B2K2R w K - 0 1", {D3, B4, 0, 0}, true},
      {"8/8/8/5k2/8/3N4/8/1B2K2R w K - 0 1", {E1, G1, 0, MoveCastle}, true},
      {"8/8/8/3k4/8/8/8/R3K3 w Q - 0 1", {E1, C1, 0, MoveCastle | MoveCastleLong}, true},
      {"8/8/8/8/8/8/8/k3K2R w K - 0 1", {E1, G1, 0, MoveCastle}, true},  // along the rank the king left
      // A pawn uncovers a rank, but not the file it stands on.
      {"8/8/8/R2P3k/8/8/8/K7 w - - 0 1", {D5, D6, 0, 0}, true},
      {"4k3/8/8/8/8/4P3/8/4RK2 w - - 0 1", {E3, E4, 0, 0}, false},
      // The king itself uncovers the rook by stepping off the rank.
      {"8/8/8/8/k2K3R/8/8/8 w - - 0 1", {D4, D5, 0, 0}, true},
      {"8/8/8/8/k2K3R/8/8/8 w - - 0 1", {D4, C4, 0, 0}, false},
      // A push to the seventh rank is left to the main search; a double push checks if guarded.
      {"3k4/8/4P3/8/8/8/8/4RK2 w - - 0 1", {E6, E7, 0, 0}, false},
      {"8/8/8/3k4/8/3P4/4P3/4K3 w - - 0 1", {E2, E4, 0, 0}, true},
      {"8/8/8/3k4/8/8/4P3/4K3 w - - 0 1", {E2, E4, 0, 0}, false},
  };
  for (const auto& c : cases) {
    const Board b = boardFromFen(c.fen);
    expectModes(b, legalMoves(b), Ordering{}, c.fen);
    EXPECT_EQ(containsWord(drain(b, PickerMode::QuiescenceChecks), c.check), c.included) << c.fen;
  }
}

TEST(MovePicker, KillersAndHistoryRememberCutOffs) {
  const Move a{E2, E4, 0, 0}, b{D2, D4, 0, 0}, c{G1, F3, 0, 0};
  PlyRecord row = {};
  const auto killersAre = [&](Move first, Move second) {
    return sameWord(row.killers[0], first) && sameWord(row.killers[1], second);
  };
  const auto cutBy = [&](Move m) {
    row.killers[0] = a;
    row.killers[1] = b;
    updateKillers(row, m);
  };
  cutBy(b);
  EXPECT_TRUE(killersAre(b, a));
  cutBy(c);
  EXPECT_TRUE(killersAre(c, a));
  updateKillers(row, c);
  updateKillers(row, Move{E2, E4, 0, MoveCapture});  // not quiet
  EXPECT_TRUE(killersAre(c, a));

  HistoryTable history = {};
  history[White][Knight][F3] = 65000;
  history[Black][Pawn][E5] = 101;
  updateHistory(history, startBoard(), 3, c);
  EXPECT_EQ(history[White][Knight][F3], 65009);
  EXPECT_EQ(history[Black][Pawn][E5], 101);
  history[White][Knight][F3] = 65000;
  updateHistory(history, startBoard(), 25, c);  // 625 does not fit: every counter is halved
  EXPECT_EQ(history[White][Knight][F3], 33125);
  EXPECT_EQ(history[Black][Pawn][E5], 50);
}
