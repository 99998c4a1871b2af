// Whether a move checks (direct, discovered, by promotion, en passant or the castled rook), the
// extension rule every searched move goes through, and the search's time and node limits.
#include "board/attacks.h"
#include "board/bitboard.h"
#include "board/chess960.h"
#include "board/makemove.h"
#include "board/see.h"
#include "eval/eval_masks.h"
#include "search/clock.h"
#include "search/node.h"
#include "search/search.h"

namespace {

// Does a piece leaving f for t uncover the line from the enemy king through f? It does unless
// t lies on that line itself, on either side of the king.
bool leavesLine(int king, int f, int t) {
  const int along = direction[king][f], toward = direction[king][t];
  return toward != along && toward != (along ^ 4);
}

// Attacks of a piece just promoted on t; the pawn has left f, which may open its line.
Bitboard promotedAttacks(int piece, int t, Bitboard occupancy) {
  switch (piece) {
    case Knight: return knightAttacks[t];
    case Bishop: return bishopAttacks(t, occupancy);
    case Rook: return rookAttacks(t, occupancy);
    default: return queenAttacks(t, occupancy);
  }
}

// En passant empties two squares on one rank and fills a third, so it can open a line that no
// single candidate blocked: the captured pawn may have been the only blocker.
bool enPassantUncovers(const Board& b, Move m, int king) {
  const int us = b.turn();
  const int captured = makeSquare(rowOf(m.from), fileOf(m.to));
  const Bitboard occupancy = (b.occupancy() ^ bitOf(m.from) ^ bitOf(captured)) | bitOf(m.to);
  const Bitboard queens = b.pieces(Queen, us);
  return (bishopAttacks(king, occupancy) & (b.pieces(Bishop, us) | queens)) ||
         (rookAttacks(king, occupancy) & (b.pieces(Rook, us) | queens));
}

// The castled rook checks along its rank or file once king and rook have both moved.
bool castledRookChecks(const Board& b, Move m, int king) {
  const int us = b.turn();
  const int row = rowOf(m.from);
  const bool kingSide = fileOf(m.to) == 6;
  const int rights = b.st.castRights[us];
  const int rookFrom = makeSquare(row, (kingSide ? rights & 15 : rights >> 4) - 1);
  const int rookTo = makeSquare(row, kingSide ? 5 : 3);
  const Bitboard occupancy =
      b.occupancy() ^ bitOf(rookFrom) ^ bitOf(rookTo) ^ bitOf(m.from) ^ bitOf(m.to);
  return rookAttacks(rookTo, occupancy) & bitOf(king);
}

}  // namespace

Bitboard discoveredCheckCandidates(const Board& b) {
  const int us = b.turn(), king = b.kingSquare(us ^ 1);
  const Bitboard occupancy = b.occupancy(), queens = b.pieces(Queen, us);
  // Own sliders that would see the king through exactly one piece; a queen never is that piece,
  // since as the only blocker it would already be giving check.
  Bitboard sliders = (bishopReach[king] & (b.pieces(Bishop, us) | queens)) |
                     (rookReach[king] & (b.pieces(Rook, us) | queens));
  Bitboard candidates = 0;
  while (sliders) {
    const Bitboard blockers = between[king][popLowest(sliders)] & occupancy;
    if (blockers && !moreThanOne(blockers)) candidates |= blockers;
  }
  return candidates & b.occupied(us) & ~queens;
}

bool givesCheck(const Board& b, Move m, Bitboard candidates) {
  const int f = m.from, t = m.to;
  if (f == t) return false;
  if (chess960 && isCastle(m)) {
    // King and rook may land anywhere on the rank, uncovering or giving check: play it.
    Board after = b;
    doMove(after, m);
    return after.st.check;
  }
  const int us = b.turn(), king = b.kingSquare(us ^ 1);
  const Bitboard kingBit = bitOf(king), occupancy = b.occupancy();
  const bool uncovers = candidates & bitOf(f);
  switch (mailboxPiece(b.mailbox[f])) {
    case Pawn:
      if (pawnAttacks(us, t) & kingBit) return true;
      if (uncovers && leavesLine(king, f, t)) return true;
      if (m.promotion) return promotedAttacks(m.promotion, t, occupancy ^ bitOf(f)) & kingBit;
      return isEnPassant(m) && enPassantUncovers(b, m, king);
    case Knight:
      return uncovers || (knightAttacks[t] & kingBit);
    case Bishop:
      return uncovers || (bishopAttacks(king, occupancy) & bitOf(t));
    case Rook:
      return uncovers || (rookAttacks(king, occupancy) & bitOf(t));
    case Queen:
      return queenAttacks(king, occupancy) & bitOf(t);
    case King:
      if (uncovers && leavesLine(king, f, t)) return true;
      return isCastle(m) && castledRookChecks(b, m, king);
    default:
      return false;
  }
}

int childDepth(const Board& b, Move m, int depth, bool checks, bool mateThreat) {
  const int us = b.turn();
  const bool pawnMove = mailboxPiece(b.mailbox[m.from]) == Pawn;
  // A check leaves the opponent few replies, so it is searched a full ply deeper.
  if (checks) return depth;
  // A pawn one step from promotion is about to change the material.
  if (pawnMove && relativeRow(us, m.to) == 1) return depth - 128;
  // With a mate threat against us, every defence deserves a closer look.
  if (mateThreat) return depth - 128;
  if (isCapture(m)) {
    // An en passant target square is empty: piece 0, which is no pawn and weighs nothing.
    const int victim = mailboxPiece(b.mailbox[m.to]);
    if (victim != Pawn) {
      // Taking the last piece leaves a pawn ending, where one ply more often decides the game.
      if (b.mat.tmat == phaseWeight[victim] && !m.promotion) return depth;
      if (m.flags & MoveGoodCapture) return depth - 128;
    }
  }
  // A passed pawn that advances safely may run through.
  if (pawnMove && isPassedPawn(b, us, m.from) && ((m.flags & MoveGoodCapture) || see(b, m, true) >= 0))
    return depth - 192;
  return depth - OnePly;
}

bool deadlineReached(SearchContext& ctx, uint32_t now) {
  if (!pastDeadline(now, ctx.deadline) || ctx.pondering) return false;
  ctx.stopSearch = true;
  return true;
}

bool limitReachedAt(SearchContext& ctx, uint32_t now) {
  if (deadlineReached(ctx, now)) return true;
  if (ctx.nodeBudget == 0 || int64_t(ctx.nodes) < ctx.nodeBudget) return false;
  ctx.stopSearch = true;
  return true;
}

bool limitReached(SearchContext& ctx) { return limitReachedAt(ctx, readClock()); }
