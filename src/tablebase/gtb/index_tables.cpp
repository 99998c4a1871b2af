#include "tablebase/gtb/index_tables.h"

#include <algorithm>
#include <cstdlib>

namespace gtb {
namespace {

// The turn that brings x (the black king) into the a1-d1-d4 triangle and, with x on the long
// diagonal, y (the white king) onto or below it.
int symmetryOf(int x, int y) {
  int how = 0;
  if ((x & 7) > 3) {
    x ^= 7, y ^= 7;
    how |= 1;
  }
  if ((x >> 3) > 3) {
    x ^= 56, y ^= 56;
    how |= 2;
  }
  const int rowX = x >> 3, colX = x & 7;
  if (rowX > colX) {
    how |= 4;
  } else if (rowX == colX && (y >> 3) > (y & 7)) {
    how |= 4;
  }
  return how;
}

bool kingsTouch(int x, int y) { return std::abs((x & 7) - (y & 7)) <= 1 && std::abs((x >> 3) - (y >> 3)) <= 1; }

void buildKingPairs(Tables& t) {
  for (int x = 0; x < 64; ++x)
    for (int y = 0; y < 64; ++y) {
      t.symmetry[x][y] = uint8_t(symmetryOf(x, y));
      t.kingPair[x][y] = -1;
    }
  // Numbered in the order the placements are first met, black king square outermost.
  int next = 0;
  for (int x = 0; x < 64; ++x)
    for (int y = 0; y < 64; ++y) {
      if (kingsTouch(x, y)) continue;
      const int how = t.symmetry[x][y];
      int16_t& slot = t.kingPair[applySymmetry(x, how)][applySymmetry(y, how)];
      if (slot < 0) slot = int16_t(next++);
    }
}

void buildPieceIndex(Tables& t) {
  for (int x = 0; x < 64; ++x)
    for (int y = 0; y < 64; ++y) {
      const int lo = std::min(x, y), hi = std::max(x, y);
      t.pieceIndex[x][y] = x == y ? -1 : int16_t((hi - lo) + lo * (127 - lo) / 2 - 1);
    }
  int accumulated = 0;
  for (int z = 0; z < 64; ++z) {
    t.tripleBase[z] = accumulated;
    accumulated += z * (z - 1) / 2;
  }
}

void buildPawnPairs(Tables& t) {
  std::fill(&t.pawnPair[0][0], &t.pawnPair[0][0] + 24 * 48, int16_t(-1));
  int next = 0;
  // The order of first meeting: the first pawn from h7 down to a2, kingside files only, the
  // second below it.
  for (int a = 55; a >= 8; --a) {
    if ((a & 7) < 4) continue;
    for (int b = a - 1; b >= 8; --b) {
      auto [anchor, other] = anchorFirst(a, b);
      if ((anchor & 7) > 3) anchor ^= 7, other ^= 7;
      int16_t& slot = t.pawnPair[whitePawnSlot(anchor)][(other ^ 56) - 8];
      if (slot < 0) slot = int16_t(next++);
    }
  }

  std::fill(&t.mixedPawnPair[0][0], &t.mixedPawnPair[0][0] + 48 * 48, int16_t(-1));
  next = 0;
  for (int a = 55; a >= 8; --a)
    for (int b = a - 1; b >= 8; --b) {
      const int i = (a ^ 63) - 8, j = (b ^ 63) - 8;
      if (t.mixedPawnPair[i][j] < 0) t.mixedPawnPair[i][j] = t.mixedPawnPair[j][i] = int16_t(next++);
    }
}

void buildPawnTriples(Tables& t) {
  std::fill(&t.pawnTriple[0][0][0], &t.pawnTriple[0][0][0] + 48 * 48 * 48, int16_t(-1));
  // The walk order: kingside files first (h to e), then queenside (d to a), each from the
  // seventh rank down.
  int order[48];
  int n = 0;
  for (int half = 0; half < 2; ++half)
    for (int row = 6; row >= 1; --row)
      for (int k = 0; k < 4; ++k) order[n++] = row * 8 + (half == 0 ? 7 - k : 3 - k);
  int next = 0;
  for (int x = 0; x < 48; ++x)
    for (int y = x + 1; y < 48; ++y)
      for (int z = y + 1; z < 48; ++z) {
        const int a = order[x], b = order[y], c = order[z];
        if ((b & 4) || (c & 4)) continue;  // the later two must stand on files a-d
        const int i = a - 8, j = b - 8, k = c - 8;
        if (t.pawnTriple[i][j][k] >= 0) continue;
        const int16_t id = int16_t(next++);
        t.pawnTriple[i][j][k] = t.pawnTriple[i][k][j] = t.pawnTriple[j][i][k] = id;
        t.pawnTriple[j][k][i] = t.pawnTriple[k][i][j] = t.pawnTriple[k][j][i] = id;
      }
}

}  // namespace

const Tables& tables() {
  static const Tables* built = [] {
    auto* t = new Tables;
    buildKingPairs(*t);
    buildPieceIndex(*t);
    buildPawnPairs(*t);
    buildPawnTriples(*t);
    return t;
  }();
  return *built;
}

int tripleIndex(int a, int b, int c) {
  if (a > b) std::swap(a, b);
  if (b > c) std::swap(b, c);
  if (a > b) std::swap(a, b);
  if (a == b || b == c) return -1;
  return a + (b - 1) * b / 2 + tables().tripleBase[c];
}

std::pair<int, int> anchorFirst(int a, int b) {
  const int rowA = a >> 3, rowB = b >> 3;
  if (rowB > rowA) return {b, a};
  if (rowB < rowA) return {a, b};
  const int edgeA = std::max(a & 7, 7 - (a & 7)), edgeB = std::max(b & 7, 7 - (b & 7));
  if (edgeB > edgeA) return {b, a};
  if (edgeB < edgeA) return {a, b};
  return a < b ? std::pair{a, b} : std::pair{b, a};
}

}  // namespace gtb
