#include "board/see.h"

#include <algorithm>

#include "board/attacks.h"

namespace {

// What a king's capture is worth to the other side when that side can still recapture: the
// king may not be taken, so the sequence ends there with a decisive loss for the king's side.
constexpr int IllegalKingCapture = 20;

// Every piece of either colour that attacks t through the given occupancy.
Bitboard allAttackers(const Board& b, int t, Bitboard occupancy) {
  const Bitboard queens = b.pieces(Queen, White) | b.pieces(Queen, Black);
  const Bitboard straight = b.pieces(Rook, White) | b.pieces(Rook, Black) | queens;
  const Bitboard diagonal = b.pieces(Bishop, White) | b.pieces(Bishop, Black) | queens;
  const Bitboard kings = bitOf(b.st.kingSquare[White]) | bitOf(b.st.kingSquare[Black]);
  return (pawnAttackSources[White][t] & b.pieces(Pawn, White)) |
         (pawnAttackSources[Black][t] & b.pieces(Pawn, Black)) |
         (knightAttacks[t] & (b.pieces(Knight, White) | b.pieces(Knight, Black))) | (kingAttacks[t] & kings) |
         (rookAttacks(t, occupancy) & straight) | (bishopAttacks(t, occupancy) & diagonal);
}

// The cheapest of side's attackers: pawn to queen (lowest square of the kind), then the king.
// Returns its square and piece, or -1 when side has none.
int leastValuable(const Board& b, Bitboard attackers, int side, int& piece) {
  for (piece = Pawn; piece <= Queen; ++piece) {
    if (const Bitboard x = attackers & b.pieces(piece, side)) return lowestSquare(x);
  }
  piece = King;
  const int k = b.st.kingSquare[side];
  return attackers & bitOf(k) ? k : -1;
}

}  // namespace

int seeExchange(const Board& b, Move m) {
  if (m.flags & (MoveCastle | MoveEnPassant)) return 0;
  const int f = m.from, t = m.to;
  const int c = mailboxColour(b.mailbox[f]);
  // A "move" that stays on its square asks what the piece standing there would lose.
  const int victim = f == t ? 0 : seeValue[mailboxPiece(b.mailbox[t])];
  int onSquare = seeValue[mailboxPiece(b.mailbox[f])];

  Bitboard occupancy = b.occupancy() & ~bitOf(f);
  Bitboard attackers = allAttackers(b, t, occupancy) & occupancy;
  int side = c ^ 1;
  if (!(attackers & b.occupied(side))) return victim;

  int gain[40];  // at most 32 pieces take part, plus the closing king entry
  gain[0] = victim;
  int n = 1;
  for (;;) {
    int piece;
    const int sq = leastValuable(b, attackers, side, piece);
    if (sq < 0) break;
    occupancy ^= bitOf(sq);
    attackers ^= bitOf(sq);
    if (piece != Knight && piece != King) {
      // The capturer moved off its line to t: a slider behind it now joins in.
      const int d = direction[sq][t];
      const int behind = nearestOnRay(d, t, occupancy);
      if (behind >= 0) {
        const int kind = mailboxPiece(b.mailbox[behind]);
        if (kind == Queen || kind == (d & 1 ? Bishop : Rook)) attackers |= bitOf(behind);
      }
    }
    gain[n] = onSquare - gain[n - 1];
    onSquare = seeValue[piece];
    ++n;
    side ^= 1;
    const bool answered = (attackers & b.occupied(side)) != 0;
    if (piece == King) {
      if (answered) gain[n++] = IllegalKingCapture;
      break;
    }
    if (!answered) break;
  }
  while (--n) gain[n - 1] = std::min(gain[n - 1], -gain[n]);
  return gain[0];
}

bool isAttacked(const Board& b, int s, int c, bool includeLeapers) {
  const int o = c ^ 1;
  if (includeLeapers &&
      ((knightAttacks[s] & b.pieces(Knight, o)) | (kingAttacks[s] & bitOf(b.st.kingSquare[o])) |
       (pawnAttackSources[o][s] & b.pieces(Pawn, o)))) {
    return true;
  }
  const Bitboard occupancy = b.occupancy();
  const Bitboard queens = b.pieces(Queen, o);
  return (rookAttacks(s, occupancy) & (b.pieces(Rook, o) | queens)) ||
         (bishopAttacks(s, occupancy) & (b.pieces(Bishop, o) | queens));
}
