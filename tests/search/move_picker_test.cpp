// The staged picker against the legal generator: over whole perft trees every mode must yield
// exactly the moves it promises, each once, with the generator's flags, the stored moves first;
// plus the validity test for stored moves and the history's overflow. The order of the stages
// after the stored moves is held by the bench signature.
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

void expectModes(const Board& b, const Moves& legal, const Ordering& o, const std::string& where) {
  const Moves early = earlyMoves(legal, o, b.st.check);
  const Moves out = drain(b, PickerMode::Main, o);
  expectSameWords(out, legal, where);
  expectPrefix(out, early, where);
  for (const bool checks : {false, true}) {
    const std::string what = where + (checks ? " quiescence checks" : " quiescence");
    const Moves quiet = drain(b, checks ? PickerMode::QuiescenceChecks : PickerMode::Quiescence, o);
    expectPrefix(quiet, early, what);
    if (b.st.check) {
      expectSameWords(quiet, legal, what);  // every evasion, as in the main search
      continue;
    }
    Moves expected = quiescenceMoves(b, legal, checks);
    for (Move m : early)
      if (!containsWord(expected, m)) expected.push_back(m);
    expectSameWords(quiet, expected, what);
  }
}

// Calls visit(board, legal moves, parent's legal moves) at every node of each suite position's
// tree, as deep as the leaf budget allows (sanitizer runs lower the perft budget), and of the
// rare-check positions'.
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
  // The checks the suites rarely give (discovered by a king or an en passant capture, by castling,
  // along a pawn's own file), two plies deep.
  for (const CaseLine& c : loadCases("cases/rare_checks.txt")) {
    Board b = boardFromFen(c[0].c_str());
    walk(b, 2, Moves{}, visit);
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

// A history counter that would pass its range halves them all (the killers' and counters' usual
// updates are held by the bench signature).
TEST(MovePicker, HistoryHalvesBeforeItOverflows) {
  const Move c{G1, F3, 0, 0};
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
