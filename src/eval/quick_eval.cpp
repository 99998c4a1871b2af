#include "eval/quick_eval.h"

#include <algorithm>

#include "board/bitboard.h"
#include "eval/psqt.h"

int gamePhase(int tmat) { return std::clamp((256 * tmat - 563200) / 4350, 0, 256); }

int quickEval(const Board& b) {
  int op = 10 * b.mat.dmat, eg = op;
  for (int c = White; c <= Black; ++c) {
    const int sign = c == White ? 1 : -1;
    for (Bitboard pieces = b.occupied(c); pieces;) {
      const int sq = popLowest(pieces);
      const int piece = mailboxPiece(b.mailbox[sq]);
      op += sign * pieceSquareTables[Opening][c][piece][sq];
      eg += sign * pieceSquareTables[Endgame][c][piece][sq];
    }
  }
  const int v = (eg + (((op - eg) * gamePhase(b.mat.tmat)) >> 8)) / 10;
  return b.st.turn == White ? v : -v;
}
