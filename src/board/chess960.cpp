#include "board/chess960.h"

#include "board/bitboard.h"
#include "board/movegen.h"

bool castlingPath(const Board& b, bool kingSide, CastlingPath& path) {
  const int m = b.st.turn;
  const uint8_t rights = b.st.castRights[m];
  const int rookFile = (kingSide ? rights & 15 : rights >> 4) - 1;
  if (rookFile < 0) return false;
  const int base = m == White ? A1 : A8;
  path.kingFrom = b.st.kingSquare[m];
  path.rookFrom = base + rookFile;
  path.kingTo = base + (kingSide ? 6 : 2);
  path.rookTo = base + (kingSide ? 5 : 3);
  path.kingPath = rankSpan(path.kingFrom, path.kingTo);
  path.mustBeEmpty = (path.kingPath | rankSpan(path.rookFrom, path.rookTo)) & ~bitOf(path.kingFrom) & ~bitOf(path.rookFrom);
  return true;
}

bool canCastle960(const Board& b, bool kingSide) {
  CastlingPath p;
  if (b.st.check || !castlingPath(b, kingSide, p)) return false;
  // Neither piece blocks the other, and the rook stops shielding the king once it has moved.
  const Bitboard occupancy = b.occupancy() & ~bitOf(p.kingFrom) & ~bitOf(p.rookFrom);
  if (occupancy & p.mustBeEmpty) return false;
  for (Bitboard path = p.kingPath; path; path &= path - 1)
    if (attackersOf(b, lowestSquare(path), b.st.turn ^ 1, occupancy)) return false;
  return true;
}
