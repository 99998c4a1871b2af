// The KPK bitbase: the built-in copy (the "genkpk" command's test writes it to a file), and every
// position checked against a solver written from the rules of chess alone. (Probing for a black
// pawn is held by the evaluation's colour symmetry.)
#include "eval/kpk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "board/bitboard.h"
#include "board/test_positions.h"

namespace {

bool bitSet(const KpkBitbase& kpk, int i) { return (kpk.bits[i >> 3] >> (i & 7)) & 1; }

// The solver numbers squares a1 = 0 upward, unlike the engine, so that an indexing slip in the
// generator cannot repeat itself here. A promotion wins unless the new piece is taken at once or
// Black is stalemated; a queen and a rook are both tried.
int distance(int a, int b) { return std::max(std::abs(a % 8 - b % 8), std::abs(a / 8 - b / 8)); }
bool impossible(int w, int b, int p) { return distance(w, b) <= 1 || p == w || p == b; }
bool pawnGuards(int pawn, int s) { return s / 8 == pawn / 8 + 1 && std::abs(s % 8 - pawn % 8) == 1; }

template <typename F>
void forEachStep(int s, F f) {
  for (int df = -1; df <= 1; ++df) {
    for (int dr = -1; dr <= 1; ++dr) {
      const int file = s % 8 + df, rank = s / 8 + dr;
      if ((df || dr) && file >= 0 && file < 8 && rank >= 0 && rank < 8) f(rank * 8 + file);
    }
  }
}

// Only White's king blocks: Black's king cannot hide behind itself on the line.
bool sliderHits(int from, int target, int whiteKing, bool diagonals) {
  bool hit = false;
  forEachStep(from, [&](int first) {
    const int df = first % 8 - from % 8, dr = first / 8 - from / 8;
    if (df && dr && !diagonals) return;
    for (int f = first % 8, r = first / 8; f >= 0 && f < 8 && r >= 0 && r < 8 && r * 8 + f != whiteKing;
         f += df, r += dr) {
      hit |= r * 8 + f == target;
    }
  });
  return hit;
}

bool promotionWins(int white, int black, int q, bool queen) {
  if (distance(black, q) == 1 && distance(white, q) > 1) return false;
  bool canMove = false;
  forEachStep(black, [&](int t) { canMove |= distance(t, white) > 1 && !sliderHits(q, t, white, queen); });
  return canMove || sliderHits(q, black, white, queen);
}

// won[at(...)]: White to move wins, or Black to move loses.
int at(int white, int black, int pawn, int side) { return ((white * 64 + black) * 64 + pawn) * 2 + side; }

bool whiteWinsNow(const std::vector<char>& won, int w, int b, int p) {
  bool win = false;
  forEachStep(w, [&](int t) { win |= t != p && distance(t, b) > 1 && won[at(t, b, p, Black)]; });
  const int ahead = p + 8, twoAhead = p + 16;
  if (win || ahead == w || ahead == b) return win;
  if (ahead / 8 == 7) return promotionWins(w, b, ahead, true) || promotionWins(w, b, ahead, false);
  return won[at(w, b, ahead, Black)] ||
         (p / 8 == 1 && twoAhead != w && twoAhead != b && won[at(w, b, twoAhead, Black)]);
}

bool blackLosesNow(const std::vector<char>& won, int w, int b, int p) {
  bool moved = false, escapes = false;
  forEachStep(b, [&](int t) {
    if (distance(t, w) <= 1 || pawnGuards(p, t)) return;
    moved = true;
    escapes |= t == p || !won[at(w, t, p, White)];
  });
  return moved && !escapes;
}

std::vector<char> solveByRules() {
  std::vector<char> won(2 * 64 * 64 * 64);
  for (bool changed = true; changed;) {
    changed = false;
    for (int w = 0; w < 64; ++w) {
      for (int b = 0; b < 64; ++b) {
        for (int p = 8; p < 56; ++p) {
          if (impossible(w, b, p)) continue;
          char& white = won[at(w, b, p, White)];
          char& black = won[at(w, b, p, Black)];
          if (!white && whiteWinsNow(won, w, b, p)) white = changed = true;
          if (!black && blackLosesNow(won, w, b, p)) black = changed = true;
        }
      }
    }
  }
  return won;
}

}  // namespace

// The built-in copy is what the generator makes (the solver below checks what that is).
TEST(Kpk, BuiltinCopyIsTheGeneratedBitbase) {
  KpkBitbase fresh;
  generateKpk(fresh);
  EXPECT_FALSE(fresh.work);
  EXPECT_EQ(std::memcmp(builtinKpk().bits.get(), fresh.bits.get(), KpkBytes), 0);
  KpkBitbase copy;
  copyKpk(copy, KpkBitbase{});
  EXPECT_FALSE(copy.bits);
  EXPECT_FALSE(probeKpk(copy, boardFromFen("6k1/8/8/8/8/8/P7/K7 w - - 0 1")).has_value());
}

TEST(Kpk, EveryPositionAgreesWithTheRules) {
  const KpkBitbase& kpk = builtinKpk();
  const std::vector<char> won = solveByRules();
  int checked = 0, wrong = 0;
  for (int w = 0; w < 64; ++w) {
    for (int b = 0; b < 64; ++b) {
      for (int p = 8; p < 56; ++p) {
        for (int side : {White, Black}) {
          // White to move with Black in check cannot arise; the generator's value there is moot.
          if (!impossible(w, b, p) && side == White && pawnGuards(p, b)) continue;
          ++checked;
          const int i = kpkIndex(w ^ 56, b ^ 56, side, p ^ 56);
          if (bitSet(kpk, i) == bool(won[at(w, b, p, side)]) && ++wrong <= 5) ADD_FAILURE() << "index " << i;
        }
      }
    }
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_GT(checked, 380000);
}
