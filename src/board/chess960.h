// Chess960: castling from any start. The king ends on the g- or c-file and the rook beside it on
// the f- or d-file; the move is kept (and written) as the king taking its own rook, so that it
// never looks like an ordinary king move to the same square.
#pragma once

#include "board/board.h"
#include "board/move.h"

// Positions are Chess960 ones: set by the front end between searches, read by the board code.
// Off, castling is the standard game's, move for move and key for key.
inline bool chess960 = false;

// The squares one castling moves pieces over, for the side to move on one wing.
struct CastlingPath {
  int kingFrom, kingTo, rookFrom, rookTo;
  Bitboard mustBeEmpty;  // every square either piece crosses or lands on, but their own two
  Bitboard kingPath;     // the king's start, the squares it crosses and its target
};

// The side to move's path on that wing; false when it has no right there.
bool castlingPath(const Board& b, bool kingSide, CastlingPath& path);

// Whether the side to move may castle on that wing: its right, the squares free, the king not in
// check and its path not attacked with the castling rook lifted.
bool canCastle960(const Board& b, bool kingSide);

constexpr Move castlingMove(const CastlingPath& p, bool kingSide) {
  return Move{uint8_t(p.kingFrom), uint8_t(p.rookFrom), 0, uint8_t(kingSide ? MoveCastle : MoveCastle | MoveCastleLong)};
}

// The squares of a rank from a to b, both included, in either order.
constexpr Bitboard rankSpan(int a, int b) {
  const int lo = a < b ? a : b, hi = a < b ? b : a;
  return (Bitboard{2} << hi) - (Bitboard{1} << lo);
}
