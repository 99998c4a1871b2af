#include "board/makemove.h"

#include <cassert>
#include <cstring>

#include "board/attacks.h"
#include "board/chess960.h"
#include "board/keys.h"

bool kingAttacked(const Board& b, int c) {
  const int o = c ^ 1;
  const int k = b.st.kingSquare[c];
  if (knightAttacks[k] & b.pieces(Knight, o)) return true;
  if (neighbours[k][b.st.kingSquare[o]]) return true;
  if (pawnAttackSources[o][k] & b.pieces(Pawn, o)) return true;
  const Bitboard occ = b.occupancy();
  if (rookAttacks(k, occ) & (b.pieces(Rook, o) | b.pieces(Queen, o))) return true;
  return bishopAttacks(k, occ) & (b.pieces(Bishop, o) | b.pieces(Queen, o));
}

namespace {

// Records which words change so that unmaking is a handful of copies. Without an undo record
// (game moves) it only plays the move.
struct Saver {
  Board& b;
  UndoInfo* u;
  uint32_t mask = 0;
  int restoreCount = 0;

  void word(int w) {
    if (!u || (mask & wordBit(w))) return;
    mask |= wordBit(w);
    std::memcpy(&u->saved[w], reinterpret_cast<const char*>(&b) + 8 * w, 8);
  }
  void square(int sq) {
    if (!u) return;
    u->restore[2 * restoreCount] = uint8_t(sq + 1);
    u->restore[2 * restoreCount + 1] = b.mailbox[sq];
    ++restoreCount;
  }
};

void setCastleRights(Board& b, int c, uint8_t rights) {
  b.hash ^= zobristCastle[c][b.st.castRights[c]] ^ zobristCastle[c][rights];
  b.st.castRights[c] = rights;
}

// A rook leaving or lost from file `file` of its home row takes that side's right with it.
void dropRookRight(Board& b, int c, int file) {
  uint8_t rights = b.st.castRights[c];
  if ((rights & 15) == file + 1)
    setCastleRights(b, c, rights & 0xF0);
  else if ((rights >> 4) == file + 1)
    setCastleRights(b, c, rights & 0x0F);
}

void capture(Board& b, Saver& s, Move m, int o) {
  const int mover = o ^ 1;
  int victim, sq;
  if (isEnPassant(m)) {
    victim = Pawn;
    sq = makeSquare(rowOf(m.from), fileOf(m.to));
    s.square(sq);
    b.mailbox[sq] = 0;
  } else {
    sq = m.to;
    victim = mailboxPiece(b.mailbox[sq]);
    if (victim == Rook && b.st.castRights[o] && rowOf(sq) == rowOf(b.st.kingSquare[o]))
      dropRookRight(b, o, fileOf(sq));
  }
  b.materialKey -= materialKeyUnit(victim, o);
  if (victim == Pawn) s.word(WordPawnKey);
  s.word(2 * victim + o);
  s.word(WordOccupied + o);
  b.pieces(victim, o) &= ~bitOf(sq);
  b.occupied(o) &= ~bitOf(sq);
  b.hash ^= pieceKey(o, victim, sq);
  if (victim == Pawn) b.pawnKey ^= pieceKey(o, Pawn, sq);

  const int value = b.pieceValues[victim];
  b.mat.dmat = int16_t(b.mat.dmat + (mover == White ? value : -value));
  if (victim > Pawn) {
    b.mat.tmat = int16_t(b.mat.tmat - phaseWeight[victim]);
    if (o == White) b.mat.tmatWhite = int16_t(b.mat.tmatWhite - phaseWeight[victim]);
  }
  if (victim == Bishop && popCount(b.pieces(Bishop, o)) < 2) b.mat.pair[o] &= ~1;
  if (victim == Rook && popCount(b.pieces(Rook, o)) < 2) b.mat.pair[o] &= ~2;
}

void moveKing(Board& b, Saver& s, Move m, int c) {
  b.hash ^= pieceKey(c, King, m.from) ^ pieceKey(c, King, m.to);
  b.st.kingSquare[c] = m.to;
  b.occupied(c) ^= bitOf(m.from) | bitOf(m.to);
  const uint8_t rights = b.st.castRights[c];
  if (rights) setCastleRights(b, c, 0);
  if (!isCastle(m)) return;

  const int row = rowOf(m.from);
  const bool kingSide = fileOf(m.to) == 6;
  const int rookFrom = makeSquare(row, kingSide ? (rights & 15) - 1 : (rights >> 4) - 1);
  const int rookTo = makeSquare(row, kingSide ? 5 : 3);
  s.word(2 * Rook + c);
  s.square(rookFrom);
  s.square(rookTo);
  b.mailbox[rookTo] = b.mailbox[rookFrom];
  b.mailbox[rookFrom] = 0;
  b.hash ^= pieceKey(c, Rook, rookFrom) ^ pieceKey(c, Rook, rookTo);
  const Bitboard swap = bitOf(rookFrom) | bitOf(rookTo);
  b.occupied(c) ^= swap;
  b.pieces(Rook, c) ^= swap;
}

// Chess960 castling, the move written as the king taking its rook: king and rook may each stay,
// swap or land where the other stood, so both leave before either arrives, and each square is
// saved once, with what stood there first.
void castleAnyStart(Board& b, Saver& s, Move m, int c) {
  CastlingPath p;
  castlingPath(b, !(m.flags & MoveCastleLong), p);
  s.word(WordOccupied + c);
  s.word(2 * Rook + c);
  const int squares[4] = {p.kingFrom, p.rookFrom, p.kingTo, p.rookTo};
  for (int i = 0; i < 4; ++i) {
    bool seen = false;
    for (int j = 0; j < i; ++j) seen |= squares[j] == squares[i];
    if (!seen) s.square(squares[i]);
  }
  const uint8_t king = b.mailbox[p.kingFrom], rook = b.mailbox[p.rookFrom];
  b.mailbox[p.kingFrom] = b.mailbox[p.rookFrom] = 0;
  b.mailbox[p.kingTo] = king;
  b.mailbox[p.rookTo] = rook;
  b.hash ^= pieceKey(c, King, p.kingFrom) ^ pieceKey(c, King, p.kingTo) ^ pieceKey(c, Rook, p.rookFrom) ^
            pieceKey(c, Rook, p.rookTo);
  b.occupied(c) = (b.occupied(c) & ~bitOf(p.kingFrom) & ~bitOf(p.rookFrom)) | bitOf(p.kingTo) | bitOf(p.rookTo);
  b.pieces(Rook, c) = (b.pieces(Rook, c) & ~bitOf(p.rookFrom)) | bitOf(p.rookTo);
  b.st.kingSquare[c] = uint8_t(p.kingTo);
  setCastleRights(b, c, 0);
}

void movePiece(Board& b, Saver& s, Move m, int c, int p) {
  s.word(2 * p + c);
  b.hash ^= pieceKey(c, p, m.from);
  if (p == Pawn) b.pawnKey ^= pieceKey(c, Pawn, m.from);

  if (m.promotion) {
    const int q = m.promotion;
    b.occupied(c) ^= bitOf(m.from) | bitOf(m.to);
    b.pieces(Pawn, c) &= ~bitOf(m.from);
    s.word(2 * q + c);
    b.pieces(q, c) |= bitOf(m.to);
    b.materialKey += materialKeyUnit(q, c) - materialKeyUnit(Pawn, c);
    if (q == Bishop && popCount(b.pieces(Bishop, c)) >= 2) b.mat.pair[c] |= 1;
    if (q == Rook && popCount(b.pieces(Rook, c)) >= 2) b.mat.pair[c] |= 2;
    const int gain = b.pieceValues[q] - b.pieceValues[Pawn];
    b.mat.dmat = int16_t(b.mat.dmat + (c == White ? gain : -gain));
    b.mat.tmat = int16_t(b.mat.tmat + phaseWeight[q]);
    if (c == White) b.mat.tmatWhite = int16_t(b.mat.tmatWhite + phaseWeight[q]);
    b.hash ^= pieceKey(c, q, m.to);
    return;
  }
  const Bitboard swap = bitOf(m.from) | bitOf(m.to);
  b.pieces(p, c) ^= swap;
  b.occupied(c) ^= swap;
  // Only a rook leaving its home row can be a castling rook.
  if (p == Rook && b.st.castRights[c] && rowOf(m.from) == (c == White ? 7 : 0))
    dropRookRight(b, c, fileOf(m.from));
  b.hash ^= pieceKey(c, p, m.to);
  if (p == Pawn) b.pawnKey ^= pieceKey(c, Pawn, m.to);
}

uint32_t play(Board& b, Move m, UndoInfo* u, int checkHint) {
  Saver s{b, u};
  if (u) std::memset(u->restore, 0, sizeof u->restore);
  const int c = b.st.turn, o = c ^ 1;
  const uint8_t code = b.mailbox[m.from];
  const int p = mailboxPiece(code);

  s.word(WordHash);
  s.word(WordState);
  s.word(WordMaterial);
  if (isCapture(m) || m.promotion) s.word(WordMaterialKey);
  if (p == Pawn) s.word(WordPawnKey);

  if (isCapture(m)) capture(b, s, m, o);

  if (chess960 && isCastle(m)) {
    castleAnyStart(b, s, m, c);
  } else {
    s.square(m.from);
    s.square(m.to);
    s.word(WordOccupied + c);
    b.mailbox[m.to] = m.promotion ? mailboxCode(c, m.promotion) : code;
    b.mailbox[m.from] = 0;
    if (p == King)
      moveKing(b, s, m, c);
    else
      movePiece(b, s, m, c, p);
  }

  if (b.st.ep) {
    b.hash ^= zobristEp[b.st.ep];
    b.st.ep = 0;
  }
  if (p == Pawn) {
    b.st.fiftyCounter = 0;
    if (m.from - m.to == 16 || m.to - m.from == 16) {
      b.st.ep = m.to;
      b.hash ^= zobristEp[m.to];
    }
  } else if (isCapture(m)) {
    b.st.fiftyCounter = 0;
  } else if (b.st.fiftyCounter < 255) {  // saturate: a wrap to 0 would fake an irreversible move
    ++b.st.fiftyCounter;
  }
  b.st.turn = uint8_t(o);
  b.st.check = uint8_t(checkHint >= 0 ? checkHint : kingAttacked(b, o));
  b.hash ^= zobristTurn[1];
  return s.mask;
}

}  // namespace

uint32_t makeMove(Board& b, Move m, UndoInfo& u, int checkHint) {
  uint32_t mask = play(b, m, &u, checkHint);
  assert(boardConsistent(b));
  return mask;
}

void unmakeMove(Board& b, uint32_t mask, const UndoInfo& u) {
  char* words = reinterpret_cast<char*>(&b);
  // Only the saved words, lowest first: a quiet move saves four or five of the seventeen.
  for (uint32_t rest = mask & (wordBit(BoardWords) - 1); rest; rest &= rest - 1) {
    const int w = __builtin_ctz(rest);
    std::memcpy(words + 8 * w, &u.saved[w], 8);
  }
  for (int i = 0; i < 4 && u.restore[2 * i]; ++i) b.mailbox[u.restore[2 * i] - 1] = u.restore[2 * i + 1];
  assert(boardConsistent(b));
}

void doMove(Board& b, Move m) {
  play(b, m, nullptr, -1);
  assert(boardConsistent(b));
}

uint32_t makeNullMove(Board& b, UndoInfo& u) {
  std::memcpy(&u.saved[WordHash], &b.hash, 8);
  std::memcpy(&u.saved[WordState], &b.st, 8);
  std::memset(u.restore, 0, sizeof u.restore);
  b.st.turn ^= 1;
  b.hash ^= zobristTurn[1];
  if (b.st.ep) {
    b.hash ^= zobristEp[b.st.ep];
    b.st.ep = 0;
  }
  if (b.st.fiftyCounter < 255) ++b.st.fiftyCounter;
  assert(boardConsistent(b));
  return NullMoveMask;
}
