// The reference generator works on the mailbox alone: it walks rays square by square and tests
// legality by playing each candidate on a scratch copy of the squares and asking whether the
// mover's king is then attacked. Slow and plain on purpose; it only has to be obviously right.
#include "board/refgen.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "board/chess960.h"
#include "board/keys.h"

namespace {

constexpr bool isEmptyByte(uint8_t b) { return oldPiece(b) == NoPiece; }

struct SquareList {
  uint8_t count = 0;
  uint8_t squares[8];
};

// Directions as (row step, file step): four straight ones, then four diagonals.
constexpr int StraightDirections = 4;
constexpr int rayRowStep[8] = {-1, 1, 0, 0, -1, -1, 1, 1};
constexpr int rayFileStep[8] = {0, 0, -1, 1, -1, 1, -1, 1};
constexpr int knightRowStep[8] = {-2, -2, -1, -1, 1, 1, 2, 2};
constexpr int knightFileStep[8] = {-1, 1, -2, 2, -2, 2, -1, 1};

struct RefTables {
  SquareList knight[64];
  SquareList king[64];
  SquareList ray[64][8];  // nearest square first; at most 7 squares

  RefTables() {
    for (int sq = 0; sq < 64; ++sq) {
      int row = rowOf(sq), file = fileOf(sq);
      for (int d = 0; d < 8; ++d) {
        add(knight[sq], row + knightRowStep[d], file + knightFileStep[d]);
        add(king[sq], row + rayRowStep[d], file + rayFileStep[d]);
        for (int r = row + rayRowStep[d], f = file + rayFileStep[d]; onBoard(r, f);
             r += rayRowStep[d], f += rayFileStep[d])
          add(ray[sq][d], r, f);
      }
    }
  }

  static void add(SquareList& list, int row, int file) {
    if (onBoard(row, file)) list.squares[list.count++] = uint8_t(makeSquare(row, file));
  }
};

const RefTables& tables() {
  static const RefTables built;
  return built;
}

// The attack test behind everything here; works on a bare square array so that legality can
// be tested on a scratch copy without touching the board's other fields.
bool attackedOn(const uint8_t* squares, int target, int by) {
  const RefTables& t = tables();
  auto holds = [&](int sq, int piece) {
    uint8_t b = squares[sq];
    return oldPiece(b) == piece && oldColour(b) == by;
  };
  for (int i = 0; i < t.knight[target].count; ++i)
    if (holds(t.knight[target].squares[i], Knight)) return true;
  for (int i = 0; i < t.king[target].count; ++i)
    if (holds(t.king[target].squares[i], King)) return true;
  // A white pawn captures towards row 0, so it attacks from the row below the target.
  int pawnRow = rowOf(target) + (by == White ? 1 : -1);
  for (int fileStep : {-1, 1}) {
    int file = fileOf(target) + fileStep;
    if (onBoard(pawnRow, file) && holds(makeSquare(pawnRow, file), Pawn)) return true;
  }
  for (int d = 0; d < 8; ++d) {
    int slider = d < StraightDirections ? Rook : Bishop;
    const SquareList& ray = t.ray[target][d];
    for (int i = 0; i < ray.count; ++i) {
      uint8_t b = squares[ray.squares[i]];
      if (isEmptyByte(b)) continue;
      if (oldColour(b) == by && (oldPiece(b) == slider || oldPiece(b) == Queen)) return true;
      break;
    }
  }
  return false;
}

// The rook's squares for a castling king move, on the king's row.
void castlingRookSquares(int kingFrom, int kingTo, int& rookFrom, int& rookTo) {
  int row = rowOf(kingFrom);
  bool queenSide = fileOf(kingTo) < 4;
  rookFrom = makeSquare(row, queenSide ? 0 : 7);
  rookTo = queenSide ? kingTo + 1 : kingTo - 1;
}

// Where king and rook go when a move from -> to castles. In Chess960 the move is the king
// taking its own rook, and the pieces land on the g- and f-files (c- and d-files on the queen's
// wing) wherever they started.
void castlingSquares(int from, int to, int& kingTo, int& rookFrom, int& rookTo) {
  if (!chess960) {
    kingTo = to;
    castlingRookSquares(from, to, rookFrom, rookTo);
    return;
  }
  const bool queenSide = fileOf(to) < fileOf(from);
  kingTo = makeSquare(rowOf(from), queenSide ? 2 : 6);
  rookFrom = to;
  rookTo = makeSquare(rowOf(from), queenSide ? 3 : 5);
}

// What kind of move from -> to is on this board, read from the squares rather than trusted from
// the caller: capture, en passant (a pawn moving diagonally onto an empty square), castling (a
// king stepping two files).
uint8_t moveFlagsOn(const OldBoard& ob, int from, int to) {
  int piece = oldPiece(ob.squares[from]);
  bool targetEmpty = isEmptyByte(ob.squares[to]);
  if (piece == Pawn && fileOf(from) != fileOf(to) && targetEmpty) return RefCapture | RefEnPassant;
  const bool castles = chess960 ? piece == King && ob.squares[to] == uint8_t(Rook | (ob.squares[from] & OldBlack))
                                 : piece == King && std::abs(fileOf(to) - fileOf(from)) == 2;
  if (castles) return fileOf(to) < fileOf(from) ? RefCastle | RefCastleLong : RefCastle;
  return targetEmpty ? 0 : RefCapture;
}

struct MoveSink {
  const OldBoard& ob;
  int side;
  RefMove* out;
  int count = 0;
};

// Does the move keep the mover's king out of attack? Plays it on a scratch copy of the squares.
bool keepsKingSafe(const MoveSink& s, int from, int to, uint8_t flags) {
  uint8_t after[64];
  std::memcpy(after, s.ob.squares, sizeof after);
  int landing = to, rookFrom = 0, rookTo = 0;
  if (flags & RefCastle) castlingSquares(from, to, landing, rookFrom, rookTo);
  const uint8_t mover = after[from], rook = after[rookFrom];
  after[from] = 0;
  if (flags & RefCastle) after[rookFrom] = 0;
  after[landing] = mover;
  if (flags & RefCastle) after[rookTo] = rook;
  if (flags & RefEnPassant) after[makeSquare(rowOf(from), fileOf(to))] = 0;
  int king = oldPiece(mover) == King ? landing : s.ob.kingSquare[s.side];
  return !attackedOn(after, king, s.side ^ 1);
}

void add(MoveSink& s, int from, int to, int promotion, uint8_t flags) {
  if (s.count < MaxRefMoves) s.out[s.count++] = RefMove{packMove(from, to, promotion), flags, 0};
}

void addIfLegal(MoveSink& s, int from, int to, uint8_t flags) {
  if (keepsKingSafe(s, from, to, flags)) add(s, from, to, NoPiece, flags);
}

// A pawn reaching the far row promotes: queen, rook, bishop, knight, in that order.
void addPawnMove(MoveSink& s, int from, int to, uint8_t flags) {
  if (!keepsKingSafe(s, from, to, flags)) return;
  if (rowOf(to) != 0 && rowOf(to) != 7) {
    add(s, from, to, NoPiece, flags);
    return;
  }
  for (int promotion : {Queen, Rook, Bishop, Knight}) add(s, from, to, promotion, flags);
}

bool isEnemy(const MoveSink& s, uint8_t b) { return !isEmptyByte(b) && oldColour(b) != s.side; }

void pawnMoves(MoveSink& s, int from) {
  const uint8_t* sq = s.ob.squares;
  int rowStep = s.side == White ? -1 : 1;
  int row = rowOf(from) + rowStep, file = fileOf(from);
  if (row < 0 || row > 7) return;
  int ahead = makeSquare(row, file);
  if (isEmptyByte(sq[ahead])) {
    addPawnMove(s, from, ahead, 0);
    int startRow = s.side == White ? 6 : 1;
    int twoAhead = ahead + 8 * rowStep;
    if (rowOf(from) == startRow && isEmptyByte(sq[twoAhead])) addPawnMove(s, from, twoAhead, 0);
  }
  for (int fileStep : {-1, 1}) {
    if (!onBoard(row, file + fileStep)) continue;
    int to = makeSquare(row, file + fileStep);
    if (isEnemy(s, sq[to])) addPawnMove(s, from, to, RefCapture);
  }
}

// En passant needs an enemy pawn on the ep square, standing on the row our pawns capture from,
// with the square it passed over still empty; anything else is a stale or made-up ep field.
void enPassantMoves(MoveSink& s) {
  const uint8_t* sq = s.ob.squares;
  int ep = oldEp(s.ob);
  int captureRow = s.side == White ? 3 : 4;
  if (!ep || rowOf(ep) != captureRow) return;
  if (oldPiece(sq[ep]) != Pawn || !isEnemy(s, sq[ep])) return;
  int target = s.side == White ? ep - 8 : ep + 8;
  if (!isEmptyByte(sq[target])) return;
  for (int fileStep : {-1, 1}) {
    int file = fileOf(ep) + fileStep;
    if (file < 0 || file > 7) continue;
    int from = makeSquare(captureRow, file);
    if (sq[from] && oldPiece(sq[from]) == Pawn && oldColour(sq[from]) == s.side)
      addIfLegal(s, from, target, RefCapture | RefEnPassant);
  }
}

void listMoves(MoveSink& s, int from, const SquareList& targets) {
  for (int i = 0; i < targets.count; ++i) {
    uint8_t b = s.ob.squares[targets.squares[i]];
    if (isEmptyByte(b) || isEnemy(s, b))
      addIfLegal(s, from, targets.squares[i], isEmptyByte(b) ? 0 : RefCapture);
  }
}

void sliderMoves(MoveSink& s, int from, int firstDirection, int lastDirection) {
  for (int d = firstDirection; d <= lastDirection; ++d) {
    const SquareList& ray = tables().ray[from][d];
    for (int i = 0; i < ray.count; ++i) {
      int to = ray.squares[i];
      uint8_t b = s.ob.squares[to];
      if (isEmptyByte(b)) {
        addIfLegal(s, from, to, 0);
        continue;
      }
      if (isEnemy(s, b)) addIfLegal(s, from, to, RefCapture);
      break;
    }
  }
}

// Castling with the corner rook of one wing: king and rook unmoved, the squares between them
// empty, and the square the king passes over not attacked (the landing square is tested like
// any other king move).
void tryCastle(MoveSink& s, int kingFrom, int rookFile) {
  const uint8_t* sq = s.ob.squares;
  int row = rowOf(kingFrom);
  int rookSquare = makeSquare(row, rookFile);
  if (sq[rookSquare] != uint8_t(Rook | (s.side == Black ? OldBlack : 0))) return;  // missing or moved
  int step = rookFile > fileOf(kingFrom) ? 1 : -1;
  for (int between = kingFrom + step; between != rookSquare; between += step)
    if (!isEmptyByte(sq[between])) return;
  if (attackedOn(sq, kingFrom + step, s.side ^ 1)) return;
  int kingTo = kingFrom + 2 * step;
  addIfLegal(s, kingFrom, kingTo, step < 0 ? RefCastle | RefCastleLong : RefCastle);
}

// Chess960 castling with the unmoved rook of one wing: with king and rook lifted, every square
// either crosses or lands on is empty and none the king stands on, crosses or lands on is attacked.
void tryCastle960(MoveSink& s, int kingFrom, bool kingSide) {
  const int row = rowOf(kingFrom), step = kingSide ? 1 : -1;
  int rookSquare = -1;
  for (int file = fileOf(kingFrom) + step; file >= 0 && file < 8; file += step)
    if (s.ob.squares[makeSquare(row, file)] == uint8_t(Rook | (s.side == Black ? OldBlack : 0)))
      rookSquare = makeSquare(row, file);  // the outermost one
  if (rookSquare < 0) return;
  uint8_t lifted[64];
  std::memcpy(lifted, s.ob.squares, sizeof lifted);
  lifted[kingFrom] = lifted[rookSquare] = 0;
  const int kingTo = makeSquare(row, kingSide ? 6 : 2), rookTo = makeSquare(row, kingSide ? 5 : 3);
  const auto clear = [&](int a, int b) {
    for (int sq = std::min(a, b); sq <= std::max(a, b); ++sq)
      if (!isEmptyByte(lifted[sq])) return false;
    return true;
  };
  if (!clear(kingFrom, kingTo) || !clear(rookSquare, rookTo)) return;
  for (int sq = std::min(kingFrom, kingTo); sq <= std::max(kingFrom, kingTo); ++sq)
    if (attackedOn(lifted, sq, s.side ^ 1)) return;
  add(s, kingFrom, rookSquare, NoPiece, kingSide ? RefCastle : RefCastle | RefCastleLong);
}

void castlingMoves(MoveSink& s, int kingFrom) {
  uint8_t barred = s.side == White ? NoCastleWhite : NoCastleBlack;
  if (chess960) {
    const bool home = rowOf(kingFrom) == (s.side == White ? 7 : 0);
    if ((s.ob.flagsEp & barred) || !home || (s.ob.squares[kingFrom] & OldMoved)) return;
    tryCastle960(s, kingFrom, true);
    tryCastle960(s, kingFrom, false);
    return;
  }
  int home = s.side == White ? E1 : E8;
  if ((s.ob.flagsEp & barred) || kingFrom != home || (s.ob.squares[home] & OldMoved)) return;
  if (attackedOn(s.ob.squares, home, s.side ^ 1)) return;  // no castling out of check
  tryCastle(s, home, 7);
  tryCastle(s, home, 0);
}

}  // namespace

bool oldSquareAttacked(const OldBoard& ob, int sq, int by) {
  if (sq < 0 || sq > 63) return false;
  return attackedOn(ob.squares, sq, by & 1);
}

int generateMovesOld(const OldBoard& ob, int side, RefMove* out) {
  MoveSink s{ob, side & 1, out};
  const RefTables& t = tables();
  for (int from = 0; from < 64; ++from) {
    uint8_t b = ob.squares[from];
    if (isEmptyByte(b) || oldColour(b) != s.side) continue;
    switch (oldPiece(b)) {
      case Pawn: pawnMoves(s, from); break;
      case Knight: listMoves(s, from, t.knight[from]); break;
      case Bishop: sliderMoves(s, from, StraightDirections, 7); break;
      case Rook: sliderMoves(s, from, 0, StraightDirections - 1); break;
      case Queen: sliderMoves(s, from, 0, 7); break;
      case King:
        listMoves(s, from, t.king[from]);
        castlingMoves(s, from);
        break;
      default: break;
    }
  }
  enPassantMoves(s);
  return s.count;
}

void makeMoveOld(OldBoard& ob, int side, RefMove move) {
  side &= 1;
  int from = packedFrom(move.packed), to = packedTo(move.packed);
  uint8_t mover = ob.squares[from];
  uint8_t victim = ob.squares[to];
  int piece = oldPiece(mover);
  if (piece == NoPiece) return;  // not a move of this board
  uint8_t flags = moveFlagsOn(ob, from, to);
  int sign = side == White ? 1 : -1;  // material is counted from white's side

  ob.lastTarget = from == to ? 255 : uint8_t(to);
  if (flags & RefEnPassant) {
    ob.squares[makeSquare(rowOf(from), fileOf(to))] = 0;
    ob.material += sign * oldPieceValue[Pawn];
  } else if (flags & RefCapture) {
    ob.material += sign * oldPieceValue[oldPiece(victim)];
    if (oldPiece(victim) != Pawn) ob.nonPawnMaterial -= oldPieceValue[oldPiece(victim)];
  }
  if ((flags & RefCapture) || piece == Pawn)
    ob.fifty = 0;
  else if (ob.fifty < 255)
    ob.fifty++;

  uint8_t placed = mover | OldMoved;
  if (piece == Pawn && (rowOf(to) == 0 || rowOf(to) == 7)) {
    int promotion = packedPromotion(move.packed);
    if (promotion < Knight || promotion > Queen) promotion = Queen;  // never leave a pawn on a back rank
    placed = uint8_t(promotion | OldMoved | (side == Black ? OldBlack : 0));
    ob.material += sign * (oldPieceValue[promotion] - oldPieceValue[Pawn]);
    ob.nonPawnMaterial += oldPieceValue[promotion];
  }
  int landing = to, rookFrom = 0, rookTo = 0;
  if (piece == King) {
    if (flags & RefCastle) {
      // Castling leaves the king's byte as it was and bars the side from castling again.
      placed = mover;
      ob.flagsEp |= side == White ? NoCastleWhite : NoCastleBlack;
      castlingSquares(from, to, landing, rookFrom, rookTo);
    }
    ob.kingSquare[side] = uint8_t(landing);
  }

  bool rebuild = flags & (RefCastle | RefEnPassant);  // more than two squares changed
  if (!rebuild) {
    ob.hash ^= zobristPiece[from][mover] ^ zobristPiece[to][placed];
    if (!isEmptyByte(victim)) ob.hash ^= zobristPiece[to][victim];
  }
  // King and rook both leave before either lands: in Chess960 each may land where the other stood.
  const uint8_t rook = ob.squares[rookFrom];
  ob.squares[from] = 0;
  if (flags & RefCastle) ob.squares[rookFrom] = 0;
  ob.squares[landing] = placed;
  if (flags & RefCastle) ob.squares[rookTo] = rook;

  int oldEpSquare = oldEp(ob);
  if (oldEpSquare) ob.hash ^= zobristEp[oldEpSquare];
  setOldEp(ob, 0);
  if (piece == Pawn && std::abs(rowOf(to) - rowOf(from)) == 2) setOldEp(ob, to);

  if (rebuild) {
    ob.hash = zobristTurn[side];
    ob.occupancy = 0;
    for (int sq = 0; sq < 64; ++sq) {
      if (isEmptyByte(ob.squares[sq])) continue;
      ob.hash ^= zobristPiece[sq][ob.squares[sq]];
      ob.occupancy |= bitOf(sq);
    }
  } else {
    ob.occupancy = (ob.occupancy & ~bitOf(from)) | bitOf(to);
  }
  ob.hash ^= zobristTurn[1] ^ zobristEp[oldEp(ob)];
  ob.check = oldSquareAttacked(ob, ob.kingSquare[side ^ 1], side) ? 1 : 0;
}

std::string oldMoveToSan(const OldBoard& ob, int side, RefMove move) {
  side &= 1;
  int from = packedFrom(move.packed), to = packedTo(move.packed);
  int piece = oldPiece(ob.squares[from]);
  uint8_t flags = moveFlagsOn(ob, from, to);
  std::string san;
  if (flags & RefCastle) {
    san = (flags & RefCastleLong) ? "O-O-O" : "O-O";
  } else {
    constexpr char sanLetters[] = "  NBRQK ";
    if (piece != Pawn) san += sanLetters[piece];
    // Other pieces of the same kind that can reach the same square.
    RefMove legal[MaxRefMoves];
    int n = generateMovesOld(ob, side, legal);
    int otherFile = 0, sameFile = 0;
    for (int i = 0; i < n; ++i) {
      int otherFrom = packedFrom(legal[i].packed);
      if (packedTo(legal[i].packed) != to || otherFrom == from) continue;
      if (oldPiece(ob.squares[otherFrom]) != piece) continue;
      (fileOf(otherFrom) != fileOf(from) ? otherFile : sameFile)++;
    }
    if (otherFile > 0) san += fileLetters[fileOf(from)];
    if (sameFile > 0) san += rankChars[rowOf(from)];
    if (piece == Pawn && (flags & RefCapture) && otherFile == 0 && sameFile == 0)
      san += fileLetters[fileOf(from)];
    if (flags & RefCapture) san += 'x';
    san += fileLetters[fileOf(to)];
    san += rankChars[rowOf(to)];
    int promotion = packedPromotion(move.packed);
    if (promotion >= Knight && promotion <= Queen) san += {'=', sanLetters[promotion]};
  }

  OldBoard after = ob;
  makeMoveOld(after, side, move);
  if (after.check) {
    RefMove replies[MaxRefMoves];
    san += generateMovesOld(after, side ^ 1, replies) > 0 ? '+' : '#';
  }
  return san;
}

std::string packedToUci(PackedMove m) {
  constexpr char promotionLetter[] = "  nbrq";
  std::string text = {fileLetters[fileOf(packedFrom(m))], rankChars[rowOf(packedFrom(m))],
                      fileLetters[fileOf(packedTo(m))], rankChars[rowOf(packedTo(m))]};
  int promotion = packedPromotion(m);
  if (promotion >= Knight && promotion <= Queen) text += promotionLetter[promotion];
  return text;
}
