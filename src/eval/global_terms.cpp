#include <cstdlib>

#include "board/attacks.h"
#include "board/bitboard.h"
#include "eval/params.h"
#include "eval/terms.h"

namespace {

constexpr Bitboard SpaceArea = (fileBits(2) | fileBits(3) | fileBits(4) | fileBits(5)) & ~(rowBits(0) | rowBits(7));
constexpr int ContactMate = 250000;

// Squares up to three ranks behind each of the colour's pawns.
constexpr Bitboard behindPawns(int colour, Bitboard pawns) {
  return colour == White ? (pawns << 8) | (pawns << 16) | (pawns << 24) : (pawns >> 8) | (pawns >> 16) | (pawns >> 24);
}

Bitboard attacksBy(const EvalState& s, int colour, std::initializer_list<int> pieces) {
  Bitboard b = 0;
  for (int p : pieces) b |= s.attacks[colour][p];
  return b;
}

// Is the queen on q pinned to its own king by an enemy slider behind it.
bool queenPinned(const EvalState& s, int colour, int q) {
  const Board& b = *s.board;
  const int k = b.st.kingSquare[colour];
  const int d = direction[q][k];
  if (d == NoDirection || (between[q][k] & s.occupancy)) return false;
  const int behind = nearestOnRay(d, q, s.occupancy);
  if (behind < 0) return false;
  const int enemy = colour ^ 1;
  const Bitboard sliders = b.pieces(Queen, enemy) | b.pieces(d & 1 ? Bishop : Rook, enemy);
  return sliders & bitOf(behind);
}

}  // namespace

void spaceTerm(EvalState& s, int colour) {
  const Board& b = *s.board;
  const int enemy = colour ^ 1;
  const Bitboard pawns = b.pieces(Pawn, colour);
  const Bitboard unsafe = s.attacks[enemy][Pawn] | (s.attacks[enemy][0] & ~s.attacks[colour][0]);
  const Bitboard space = SpaceArea & ~pawns & ~unsafe;
  const int count = popCount(space) + popCount(space & behindPawns(colour, pawns));
  s.add(colour, 10 * count, 0);
}

void imbalanceTerm(EvalState& s) {
  if (s.heavy[White] && !s.heavy[Black]) s.add(White, param::ImbalanceMP, param::ImbalanceMP);
  if (s.heavy[Black] && !s.heavy[White]) s.add(Black, param::ImbalanceMP, param::ImbalanceMP);
}

bool contactMateThreat(EvalState& s) {
  const Board& b = *s.board;
  const int mover = s.turn, enemy = mover ^ 1;
  const int enemyKing = b.st.kingSquare[enemy];
  const Bitboard enemyGuards = attacksBy(s, enemy, {Pawn, Knight, Bishop, Rook, Queen});
  const Bitboard ownSupport = attacksBy(s, mover, {Pawn, Knight, Bishop, Rook, King});
  const Bitboard flights = kingAttacks[enemyKing] & ~b.occupied(enemy) & ~ownSupport;
  for (Bitboard queens = b.pieces(Queen, mover); queens;) {
    const int q = popLowest(queens);
    if (queenPinned(s, mover, q)) continue;
    Bitboard targets = queenAttacks(q, s.occupancy) & kingAttacks[enemyKing] & ~b.occupied(mover) & ~enemyGuards &
                       ownSupport;
    while (targets) {
      const int t = popLowest(targets);
      if ((flights & ~queenAttacks(t, s.occupancy)) == 0) {
        s.opening = s.endgame = mover == White ? ContactMate : -ContactMate;
        return true;
      }
    }
  }
  return false;
}
