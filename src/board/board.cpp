#include "board/board.h"

#include <cstdio>
#include <cstring>

#include "board/bitboard.h"
#include "board/chess960.h"
#include "board/keys.h"
#include "board/oldboard.h"
#include "platform/console.h"

int pieceValueTable[7] = {0, 75, 325, 325, 500, 975, 0};

uint64_t boardWord(const Board& b, int word) {
  uint64_t w;
  std::memcpy(&w, reinterpret_cast<const char*>(&b) + 8 * word, 8);
  return w;
}

void resetBoard(Board& b) {
  static constexpr int backRank[8] = {Rook, Knight, Bishop, Queen, King, Bishop, Knight, Rook};
  b = Board{};
  for (int file = 0; file < 8; ++file) {
    b.pieces(Pawn, White) |= bitOf(makeSquare(6, file));
    b.pieces(Pawn, Black) |= bitOf(makeSquare(1, file));
    if (backRank[file] == King) continue;
    b.pieces(backRank[file], White) |= bitOf(makeSquare(7, file));
    b.pieces(backRank[file], Black) |= bitOf(makeSquare(0, file));
  }
  b.st.kingSquare[White] = E1;
  b.st.kingSquare[Black] = E8;
  b.st.castRights[White] = b.st.castRights[Black] = 0x18;
  recomputeDerived(b);
}

void recomputeDerived(Board& b) {
  const StateBlock& st = b.st;
  b.hash = zobristTurn[st.turn] ^ zobristCastle[White][st.castRights[White]] ^
           zobristCastle[Black][st.castRights[Black]] ^ zobristEp[st.ep];
  b.mat = MaterialBlock{};
  b.pawnKey = 0;
  b.materialKey = 0;
  b.occupied(White) = b.occupied(Black) = 0;
  std::memset(b.mailbox, 0, sizeof b.mailbox);

  for (int c = White; c <= Black; ++c) {
    int k = st.kingSquare[c];
    b.hash ^= pieceKey(c, King, k);
    b.occupied(c) |= bitOf(k);
    b.mailbox[k] = mailboxCode(c, King);
  }
  int dmat = 0;
  for (int c = White; c <= Black; ++c) {
    for (int p = Pawn; p <= Queen; ++p) {
      Bitboard set = b.pieces(p, c);
      int count = popCount(set);
      b.materialKey += uint64_t(count) * materialKeyUnit(p, c);
      b.occupied(c) |= set;
      dmat += (c == White ? count : -count) * b.pieceValues[p];
      if (p != Pawn) {
        b.mat.tmat = int16_t(b.mat.tmat + phaseWeight[p] * count);
        if (c == White) b.mat.tmatWhite = int16_t(b.mat.tmatWhite + phaseWeight[p] * count);
      }
      if (p == Bishop && count >= 2) b.mat.pair[c] |= 1;
      if (p == Rook && count >= 2) b.mat.pair[c] |= 2;
      for (Bitboard s = set; s;) {
        int sq = popLowest(s);
        b.mailbox[sq] = mailboxCode(c, p);
        b.hash ^= pieceKey(c, p, sq);
        if (p == Pawn) b.pawnKey ^= pieceKey(c, p, sq);
      }
    }
  }
  b.mat.dmat = int16_t(dmat);
}

void boardFromOld(Board& b, const OldBoard& ob, int side) {
  b = Board{};
  b.pieceValues = pieceValueTable;
  for (int sq = 0; sq < 64; ++sq) {
    uint8_t byte = ob.squares[sq];
    int p = oldPiece(byte);
    if (!p) continue;
    int c = oldColour(byte);
    if (p == King)
      b.st.kingSquare[c] = uint8_t(sq);
    else
      b.pieces(p, c) |= bitOf(sq);
  }
  // A right exists only when the FEN granted it, the king is unmoved and the rook unmoved (on
  // its corner in the standard game).
  for (int c = White; c <= Black; ++c) {
    const int kingSide = castlingRookFile(ob, c, true), queenSide = castlingRookFile(ob, c, false);
    b.st.castRights[c] = uint8_t((kingSide + 1) | (queenSide + 1) << 4);
  }
  b.st.check = ob.check & 1;
  b.st.ep = uint8_t(oldEp(ob));
  b.st.fiftyCounter = ob.fifty;
  b.st.turn = uint8_t(side);
  recomputeDerived(b);
}

namespace {

// Whether the rook of colour c on `file` of its home row has no other rook of c outside it.
bool outermostRook(const Board& b, int c, int file, bool kingSide) {
  const int row = c == White ? 7 : 0;
  const Bitboard outside = rankSpan(makeSquare(row, file), makeSquare(row, kingSide ? 7 : 0)) & ~bitOf(makeSquare(row, file));
  return !(b.pieces(Rook, c) & outside);
}

// KQkq, with a rook's file letter where K or Q would name another rook (in Chess960, the
// outermost rook of a wing is K or Q; in the standard game, only the corner rook is).
std::string castlingText(const Board& b) {
  std::string s;
  for (int c = White; c <= Black; ++c) {
    int rights = b.st.castRights[c];
    char base = c == White ? 'A' : 'a';
    int kingSide = rights & 15, queenSide = rights >> 4;
    const bool kLetter = chess960 ? kingSide && outermostRook(b, c, kingSide - 1, true) : kingSide == 8;
    const bool qLetter = chess960 ? queenSide && outermostRook(b, c, queenSide - 1, false) : queenSide == 1;
    if (kingSide) s += kLetter ? char(base + 'K' - 'A') : char(base + kingSide - 1);
    if (queenSide) s += qLetter ? char(base + 'Q' - 'A') : char(base + queenSide - 1);
  }
  return s.empty() ? "-" : s;
}

}  // namespace

std::string boardToFen(const Board& b) {
  std::string fen;
  for (int row = 0; row < 8; ++row) {
    int empty = 0;
    for (int file = 0; file < 8; ++file) {
      uint8_t code = b.mailbox[makeSquare(row, file)];
      if (!code) {
        ++empty;
        continue;
      }
      if (empty) fen += char('0' + empty);
      empty = 0;
      const char* letters = mailboxColour(code) == White ? whitePieceLetters : blackPieceLetters;
      fen += letters[mailboxPiece(code)];
    }
    if (empty) fen += char('0' + empty);
    if (row < 7) fen += '/';
  }
  fen += b.st.turn == White ? " w " : " b ";
  fen += castlingText(b);
  fen += ' ';
  if (b.st.ep) {
    int target = b.st.ep < 32 ? b.st.ep - 8 : b.st.ep + 8;
    fen += fileLetters[fileOf(target)];
    fen += char('0' + rankOf(target));
  } else {
    fen += '-';
  }
  fen += ' ' + std::to_string(b.st.fiftyCounter);
  return fen;
}

void flipBoard(Board& b) {
  for (int p = Pawn; p <= King; ++p) {
    Bitboard white = b.pieces(p, White), black = b.pieces(p, Black);
    b.pieces(p, White) = __builtin_bswap64(black);
    b.pieces(p, Black) = __builtin_bswap64(white);
  }
  uint8_t whiteKing = b.st.kingSquare[White];
  b.st.kingSquare[White] = uint8_t(flipSquare(b.st.kingSquare[Black]));
  b.st.kingSquare[Black] = uint8_t(flipSquare(whiteKing));
  if (b.st.ep) b.st.ep = uint8_t(flipSquare(b.st.ep));
  b.st.turn ^= 1;
  std::swap(b.st.castRights[White], b.st.castRights[Black]);
  recomputeDerived(b);
}

void oldFromBoard(OldBoard& ob, const Board& b) {
  std::memset(&ob, 0, sizeof ob);
  for (int sq = 0; sq < 64; ++sq) {
    uint8_t code = b.mailbox[sq];
    if (!code) continue;
    int p = mailboxPiece(code), c = mailboxColour(code);
    uint8_t byte = uint8_t(p | (c == Black ? OldBlack : 0));
    bool castles = false;
    int rights = b.st.castRights[c];
    if (p == King) castles = rights != 0;
    if (p == Rook && rowOf(sq) == (c == White ? 7 : 0)) {
      int fileCode = fileOf(sq) + 1;
      castles = (rights & 15) == fileCode || (rights >> 4) == fileCode;
    }
    if (!castles) byte |= OldMoved;
    ob.squares[sq] = byte;
  }
  ob.lastTarget = 255;
  ob.fifty = b.st.fiftyCounter;
  setOldEp(ob, b.st.ep);
  if (!b.st.castRights[White]) ob.flagsEp |= NoCastleWhite;
  if (!b.st.castRights[Black]) ob.flagsEp |= NoCastleBlack;
  recomputeOldBoard(ob, b.st.turn, true);
}

void dumpBoard(const Board& b) {
  OldBoard ob;
  oldFromBoard(ob, b);
  printBoard(ob);
  print("turn = %s\ncheck = %d\ndmat = %d\ntmat = %d\npair[white] = %d\npair[black] = %d\n",
        b.st.turn == White ? "white" : "black", b.st.check ? 1 : 0, b.mat.dmat, b.mat.tmat,
        b.mat.pair[White], b.mat.pair[Black]);
  print("check = %s\n", b.st.check ? "yes" : "no");
  print("ep = %02x\n", b.st.ep);
  print("fiftyCounter = %d\n", b.st.fiftyCounter);
  print("castRights[white] = %02x castRights[black] = %02x\n", b.st.castRights[White],
        b.st.castRights[Black]);
}

bool boardConsistent(const Board& b) {
  Board fresh = b;
  recomputeDerived(fresh);
  for (int w = 0; w < BoardWords; ++w)
    if (boardWord(fresh, w) != boardWord(b, w)) return false;
  if (std::memcmp(fresh.mailbox, b.mailbox, sizeof b.mailbox) != 0) return false;
  // Piece sets must not overlap, and each king must stand on its own square.
  Bitboard seen = 0;
  for (int c = White; c <= Black; ++c) {
    if (b.mailbox[b.st.kingSquare[c]] != mailboxCode(c, King)) return false;
    for (int p = Pawn; p <= Queen; ++p) {
      if (seen & b.pieces(p, c)) return false;
      seen |= b.pieces(p, c);
    }
    if (seen & bitOf(b.st.kingSquare[c])) return false;
    seen |= bitOf(b.st.kingSquare[c]);
  }
  return true;
}
