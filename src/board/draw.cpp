#include "board/draw.h"

#include "board/attacks.h"
#include "board/bitboard.h"

namespace {

constexpr Bitboard LightSquares = 0x55AA55AA55AA55AAULL;  // a8 is light

// Two knights cannot force mate; they only count as a draw while neither gives check.
bool twoQuietKnights(const Board& b, int side) {
  const int loneKing = b.st.kingSquare[side ^ 1];
  return !(knightAttacks[loneKing] & b.pieces(Knight, side));
}

}  // namespace

bool isDrawByRule(const Board& b) {
  if (b.st.fiftyCounter >= 101) return true;
  if (b.mat.tmat > 650 || b.pieces(Pawn, White) || b.pieces(Pawn, Black)) return false;
  if (b.mat.tmat == 0) return true;

  const int minors[2] = {popCount(b.pieces(Knight, White) | b.pieces(Bishop, White)),
                         popCount(b.pieces(Knight, Black) | b.pieces(Bishop, Black))};
  for (int side = White; side <= Black; ++side) {
    if (minors[side ^ 1] != 0) continue;
    if (minors[side] == 1) return true;
    if (popCount(b.pieces(Knight, side)) == 2 && minors[side] == 2 && twoQuietKnights(b, side)) return true;
  }
  const Bitboard bishops = b.pieces(Bishop, White) | b.pieces(Bishop, Black);
  if (!b.pieces(Knight, White) && !b.pieces(Knight, Black) && popCount(b.pieces(Bishop, White)) == 1 &&
      popCount(b.pieces(Bishop, Black)) == 1) {
    return (bishops & LightSquares) == bishops || (bishops & LightSquares) == 0;
  }
  return false;
}
