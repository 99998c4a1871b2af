// Move generators over the bitboard position.
#pragma once

#include "board/board.h"
#include "board/move.h"

// [side to move][moving piece][to-square] counters kept by the move ordering.
using HistoryTable = uint16_t[2][7][64];

// All legal moves, scored (the scores reach the caller only when it asks); sets goodCapture.
int generateMoves(const Board& b, Move* out, int32_t* scores = nullptr,
                  const HistoryTable* history = nullptr);

// Pseudo-legal captures and promotions; the opponent king is never a target.
int generateTactical(const Board& b, Move* out, bool underPromotions);

// Pseudo-legal non-captures without promotions, castling last.
int generateQuiet(const Board& b, Move* out);

// Pieces of the side to move pinned against its own king.
Bitboard pinnedPieces(const Board& b);

// Legality of a pseudo-legal move while not in check: the common case at the caller (neither the
// king nor a pinned piece moves, and it is no en-passant capture), the others out of line.
bool isLegalSpecial(const Board& b, Move m, Bitboard pinned);
inline bool isLegal(const Board& b, Move m, Bitboard pinned) {
  if (!(m.flags & (MoveCastle | MoveEnPassant)) && m.from != b.st.kingSquare[b.st.turn] &&
      !(pinned & bitOf(m.from))) {
    return true;
  }
  return isLegalSpecial(b, m, pinned);
}

// Every square the side attacks; slider rays pass through the opposing king.
Bitboard attackMap(const Board& b, int side);

// Attackers of square s by colour c with the given occupancy.
Bitboard attackersOf(const Board& b, int s, int c, Bitboard occupancy);
