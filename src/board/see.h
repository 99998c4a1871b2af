// Static exchange evaluation and the square-attack test.
#pragma once

#include "board/board.h"
#include "board/move.h"

// Exchange units: pawn 2, knight 6, bishop 6, rook 10, queen 20, king 0.
constexpr int seeValue[7] = {0, 2, 6, 6, 10, 20, 0};

// The whole exchange, without the early answer.
int seeExchange(const Board& b, Move m);

// Material outcome of the exchange the move starts on its target. With earlyExit, a capture
// whose attacker is worth no more than its victim returns victim - attacker at once.
inline int see(const Board& b, Move m, bool earlyExit) {
  // The early answer at the caller: most captures the search weighs take a piece worth as much.
  if (earlyExit && !(m.flags & (MoveCastle | MoveEnPassant)) && m.from != m.to) {
    const int victim = seeValue[mailboxPiece(b.mailbox[m.to])];
    const int attacker = seeValue[mailboxPiece(b.mailbox[m.from])];
    if (attacker <= victim) return victim - attacker;
  }
  return seeExchange(b, m);
}

// Is square s attacked by the opponent of c. Without leapers only sliders count.
bool isAttacked(const Board& b, int s, int c, bool includeLeapers);
