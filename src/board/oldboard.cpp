#include "board/oldboard.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "board/chess960.h"
#include "board/keys.h"
#include "board/refgen.h"
#include "platform/console.h"

namespace {

// FEN text is read byte by byte as unsigned values, so bytes above 127 are ordinary (invalid)
// characters rather than negative numbers that would pass for blanks.
using Text = const unsigned char*;

constexpr bool isEmptyByte(uint8_t b) { return oldPiece(b) == NoPiece; }

constexpr uint8_t oldByte(int colour, int piece) { return uint8_t(piece | (colour == Black ? OldBlack : 0)); }

// Everything up to and including the blank counts as white space; the terminator does not.
constexpr bool isBlank(unsigned char c) { return c != 0 && c <= 32; }

void skipBlanks(Text& p) {
  while (isBlank(*p)) ++p;
}

constexpr unsigned char lowerCase(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

// Square byte for a placement letter, 0 when the character is no piece letter.
uint8_t placementByte(unsigned char c) {
  for (int piece = Pawn; piece <= King; ++piece) {
    if (c == whitePieceLetters[piece]) return oldByte(White, piece);
    if (c == blackPieceLetters[piece]) return oldByte(Black, piece);
  }
  return 0;
}

// Reads the leading base-10 number of the next token (optional sign, no digits gives 0) and
// moves past the whole token. Large magnitudes saturate instead of overflowing.
bool readNumberToken(Text& p, int64_t& value) {
  skipBlanks(p);
  if (!*p) return false;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  int64_t magnitude = 0;
  for (; *p >= '0' && *p <= '9'; ++p) magnitude = std::min<int64_t>(magnitude * 10 + (*p - '0'), INT_MAX);
  while (*p && !isBlank(*p)) ++p;
  value = negative ? -magnitude : magnitude;
  return true;
}

// Placement field. Ends at the end of the text, after the eighth row, or as soon as the last
// row is full, so "...RNBQKBNRw" needs no blank before the side letter.
bool readPlacement(OldBoard& ob, Text& p) {
  int row = 0, file = 0;
  while (*p && row < 8 && !(row == 7 && file >= 8)) {
    unsigned char c = *p++;
    if (c <= 32) continue;
    if (c == '/') {
      ++row;
      file = 0;
    } else if (c >= '1' && c <= '8') {
      file = std::min(file + (c - '0'), 8);  // squares past the h-file are dropped
    } else {
      uint8_t b = placementByte(c);
      if (!b) return false;
      if (file < 8) ob.squares[makeSquare(row, file)] = b;
      file = std::min(file + 1, 8);
    }
  }
  return true;
}

// A king or rook away from its starting square can never castle, so it carries the moved bit
// from the start; a king placed where castling would have put it means that side has castled.
// In Chess960 any king or rook on its home row may still castle; the castling field decides.
void markPlacedPieces(OldBoard& ob) {
  if (chess960) {
    for (int sq = 0; sq < 64; ++sq) {
      uint8_t& b = ob.squares[sq];
      const bool home = rowOf(sq) == (oldColour(b) == White ? 7 : 0);
      if ((oldPiece(b) == Rook || oldPiece(b) == King) && !home) b |= OldMoved;
    }
    return;
  }
  for (int sq = 0; sq < 64; ++sq) {
    uint8_t& b = ob.squares[sq];
    int colour = oldColour(b);
    int homeRow = colour == White ? 7 : 0;
    if (oldPiece(b) == Rook && sq != makeSquare(homeRow, 0) && sq != makeSquare(homeRow, 7)) b |= OldMoved;
    if (oldPiece(b) == King) {
      if (sq != makeSquare(homeRow, 4)) b |= OldMoved;
      if (sq == makeSquare(homeRow, 2) || sq == makeSquare(homeRow, 6))
        ob.flagsEp |= colour == White ? NoCastleWhite : NoCastleBlack;
    }
  }
}

// The file of colour's king on its home row, -1 when it stands elsewhere.
int homeKingFile(const OldBoard& ob, int colour) {
  const int row = colour == White ? 7 : 0;
  for (int file = 0; file < 8; ++file)
    if (oldPiece(ob.squares[makeSquare(row, file)]) == King && oldColour(ob.squares[makeSquare(row, file)]) == colour)
      return file;
  return -1;
}

// The outermost unmoved rook of colour's home row on one wing of file `kingFile`, -1 when none.
int outermostRookFile(const OldBoard& ob, int colour, int kingFile, bool kingSide) {
  const int row = colour == White ? 7 : 0;
  const int step = kingSide ? -1 : 1;
  for (int file = kingSide ? 7 : 0; file != kingFile; file += step)
    if (ob.squares[makeSquare(row, file)] == oldByte(colour, Rook)) return file;
  return -1;
}

// Chess960 castling field, Shredder-FEN (rook files, "HAha") and X-FEN ("KQkq" for the outermost
// rook of a wing) alike. A letter whose rook is not there grants nothing; of two rooks granted on
// one wing the outer one keeps the right. Every other home-row rook is marked as moved.
void readCastling960(OldBoard& ob, Text& p) {
  int granted[2][2] = {{-1, -1}, {-1, -1}};  // [colour][0 king side, 1 queen side]: rook file
  skipBlanks(p);
  for (;; ++p) {
    const unsigned char c = *p;
    if (c == '-') {
      granted[White][0] = granted[White][1] = granted[Black][0] = granted[Black][1] = -1;
      continue;
    }
    const unsigned char l = lowerCase(c);
    if (l < 'a' || l > 'q') break;
    const int colour = c == l ? Black : White, kingFile = homeKingFile(ob, colour);
    if (kingFile < 0) continue;
    int file = -1;
    if (l == 'k' || l == 'q') file = outermostRookFile(ob, colour, kingFile, l == 'k');
    if (l <= 'h' && ob.squares[makeSquare(colour == White ? 7 : 0, l - 'a')] == oldByte(colour, Rook)) file = l - 'a';
    if (file < 0 || file == kingFile) continue;
    const int wing = file > kingFile ? 0 : 1;
    int& kept = granted[colour][wing];
    if (kept < 0 || (wing == 0 ? file > kept : file < kept)) kept = file;
  }
  for (int colour : {White, Black}) {
    const int row = colour == White ? 7 : 0;
    for (int file = 0; file < 8; ++file) {
      uint8_t& b = ob.squares[makeSquare(row, file)];
      if (b == oldByte(colour, Rook) && file != granted[colour][0] && file != granted[colour][1]) b |= OldMoved;
    }
    if (granted[colour][0] < 0 && granted[colour][1] < 0) ob.flagsEp |= colour == White ? NoCastleWhite : NoCastleBlack;
  }
}

// Castling field: letters a..q in either case; KQkq and the outer-rook letters H/A grant
// rights, the other letters of that range are ignored, "-" withdraws every grant.
void readCastling(OldBoard& ob, Text& p) {
  if (chess960) return readCastling960(ob, p);
  bool grant[2][2] = {};  // [colour][0 king side, 1 queen side]
  skipBlanks(p);
  for (;; ++p) {
    unsigned char c = *p;
    if (c == '-') {
      grant[White][0] = grant[White][1] = grant[Black][0] = grant[Black][1] = false;
      continue;
    }
    if (lowerCase(c) < 'a' || lowerCase(c) > 'q') break;
    int colour = c == lowerCase(c) ? Black : White;
    if (lowerCase(c) == 'k' || lowerCase(c) == 'h') grant[colour][0] = true;
    if (lowerCase(c) == 'q' || lowerCase(c) == 'a') grant[colour][1] = true;
  }
  // A rook without its grant is marked as moved, so only granted corners can castle later.
  for (int colour : {White, Black}) {
    int homeRow = colour == White ? 7 : 0;
    const int corners[2] = {makeSquare(homeRow, 7), makeSquare(homeRow, 0)};
    for (int wing = 0; wing < 2; ++wing)
      if (!grant[colour][wing] && !isEmptyByte(ob.squares[corners[wing]]))
        ob.squares[corners[wing]] |= OldMoved;
    if (!grant[colour][0] && !grant[colour][1]) ob.flagsEp |= colour == White ? NoCastleWhite : NoCastleBlack;
  }
}

// En-passant field: the target square is given, the pawn that made the double step is stored.
void readEnPassant(OldBoard& ob, Text& p) {
  skipBlanks(p);
  if (*p == '-') {
    ++p;
    setOldEp(ob, 0);
  } else if (*p >= 'a' && *p <= 'h') {
    int file = *p++ - 'a';
    setOldEp(ob, 0);
    if (*p >= '1' && *p <= '8') {
      int target = makeSquare('8' - *p++, file);
      setOldEp(ob, rowOf(target) <= 3 ? target + 8 : target - 8);
    }
  }
}

// An ep field must name a pawn of the side that has just moved which can have made a double
// step: on its fourth rank, with the square it passed over and the one it left empty. Any other
// value is dropped, since an en-passant capture there would remove a piece that is not that pawn.
void dropImpossibleEp(OldBoard& ob, int side) {
  int ep = oldEp(ob);
  if (!ep) return;
  int mover = side ^ 1;
  int towardsStart = mover == White ? 8 : -8;
  bool possible = rowOf(ep) == (mover == White ? 4 : 3) && oldPiece(ob.squares[ep]) == Pawn &&
                  oldColour(ob.squares[ep]) == mover && isEmptyByte(ob.squares[ep + towardsStart]) &&
                  isEmptyByte(ob.squares[ep + 2 * towardsStart]);
  if (!possible) setOldEp(ob, 0);
}

// The generators, the bitboard Board and the evaluation all assume a position that could occur
// in a game: one king each, no pawn on a back rank, at most 16 men a side, and a side that has
// just moved cannot have left its king capturable.
bool safeForEngine(const OldBoard& ob, int side) {
  int kings[2] = {}, men[2] = {}, kingSquare[2] = {};
  for (int sq = 0; sq < 64; ++sq) {
    uint8_t b = ob.squares[sq];
    if (isEmptyByte(b)) continue;
    int colour = oldColour(b);
    ++men[colour];
    if (oldPiece(b) == King) {
      ++kings[colour];
      kingSquare[colour] = sq;
    }
    if (oldPiece(b) == Pawn && (rowOf(sq) == 0 || rowOf(sq) == 7)) return false;
  }
  for (int colour : {White, Black})
    if (kings[colour] != 1 || men[colour] > 16) return false;
  return !oldSquareAttacked(ob, kingSquare[side ^ 1], side);
}

// The initial placement with every castling right and no en-passant square; the minor pieces'
// moved bits aside, exactly what resetOldBoard sets up.
bool isInitialPosition(const OldBoard& ob) {
  OldBoard start;
  resetOldBoard(start);
  for (int sq = 0; sq < 64; ++sq) {
    uint8_t b = ob.squares[sq];
    if (oldPiece(b) == Knight || oldPiece(b) == Bishop) b |= OldMoved;
    if (b != start.squares[sq]) return false;
  }
  return ob.flagsEp == start.flagsEp;
}

void appendRow(std::string& out, int row, const OldBoard* ob) {
  out += {' ', ob ? rankChars[row] : ' ', ' '};
  for (int file = 0; file < 8; ++file) {
    bool dark = (row + file) % 2 == 0;
    uint8_t b = ob ? ob->squares[makeSquare(row, file)] : 0;
    if (isEmptyByte(b)) {
      out += dark ? "#######" : "       ";
      continue;
    }
    const char* letters = oldColour(b) == Black ? blackPieceLetters : whitePieceLetters;
    out += dark ? "##" : "  ";
    out += {' ', letters[oldPiece(b)], ' '};
    out += dark ? "##" : "  ";
  }
  out += '\n';
}

}  // namespace

int castlingRookFile(const OldBoard& ob, int colour, bool kingSide) {
  if (ob.flagsEp & (colour == White ? NoCastleWhite : NoCastleBlack)) return -1;
  const int king = ob.kingSquare[colour];
  if (ob.squares[king] != oldByte(colour, King) || rowOf(king) != (colour == White ? 7 : 0)) return -1;  // moved
  if (chess960) return outermostRookFile(ob, colour, fileOf(king), kingSide);
  const int corner = kingSide ? 7 : 0;
  return ob.squares[makeSquare(rowOf(king), corner)] == oldByte(colour, Rook) ? corner : -1;
}

void resetOldBoard(OldBoard& ob) {
  constexpr int backRank[8] = {Rook, Knight, Bishop, Queen, King, Bishop, Knight, Rook};
  ob = OldBoard{};
  for (int file = 0; file < 8; ++file) {
    // Minor pieces carry the moved bit from the start: it means nothing for them, but it is
    // part of the start position's book key.
    uint8_t moved = (backRank[file] == Knight || backRank[file] == Bishop) ? OldMoved : 0;
    ob.squares[makeSquare(0, file)] = oldByte(Black, backRank[file]) | moved;
    ob.squares[makeSquare(1, file)] = oldByte(Black, Pawn);
    ob.squares[makeSquare(6, file)] = oldByte(White, Pawn);
    ob.squares[makeSquare(7, file)] = oldByte(White, backRank[file]) | moved;
  }
  ob.lastTarget = 255;
  recomputeOldBoard(ob, White, true);
}

void recomputeOldBoard(OldBoard& ob, int side, bool withEp) {
  bool hasKing[2] = {};
  ob.occupancy = 0;
  ob.material = 0;
  ob.nonPawnMaterial = 0;
  ob.kingSquare[White] = ob.kingSquare[Black] = 0;
  ob.hash = zobristTurn[side & 1];
  for (int sq = 0; sq < 64; ++sq) {
    uint8_t b = ob.squares[sq];
    if (isEmptyByte(b)) continue;
    int piece = oldPiece(b), colour = oldColour(b);
    ob.occupancy |= bitOf(sq);
    ob.hash ^= zobristPiece[sq][b];
    ob.material += colour == White ? oldPieceValue[piece] : -oldPieceValue[piece];
    if (piece != Pawn) ob.nonPawnMaterial += oldPieceValue[piece];
    if (piece == King) {
      ob.kingSquare[colour] = uint8_t(sq);
      hasKing[colour] = true;
    }
  }
  if (withEp && oldEp(ob)) ob.hash ^= zobristEp[oldEp(ob)];
  bool whiteAttacked = hasKing[White] && oldSquareAttacked(ob, ob.kingSquare[White], Black);
  bool blackAttacked = hasKing[Black] && oldSquareAttacked(ob, ob.kingSquare[Black], White);
  ob.check = (whiteAttacked || blackAttacked) ? 1 : 0;
}

bool parseFen(OldBoard& ob, const char* text, int* sideToMove, int* moveNumber) {
  if (sideToMove) *sideToMove = White;
  if (moveNumber) *moveNumber = 1;
  if (!text) return false;
  const OldBoard saved = ob;
  std::fill(std::begin(ob.squares), std::end(ob.squares), uint8_t{0});
  ob.kingSquare[White] = ob.kingSquare[Black] = 0;
  ob.flagsEp = 0;
  ob.fifty = 0;
  ob.check = 0;
  ob.lastTarget = 255;

  Text p = reinterpret_cast<Text>(text);
  if (!readPlacement(ob, p)) {
    ob = saved;
    return false;
  }
  markPlacedPieces(ob);

  while (*p == '/' || isBlank(*p)) ++p;
  int side = (*p == 'b' || *p == 'B') ? Black : White;
  if (*p) ++p;

  readCastling(ob, p);
  readEnPassant(ob, p);
  int64_t number = 0;
  if (readNumberToken(p, number)) ob.fifty = uint8_t(std::clamp<int64_t>(number, 0, 255));
  int fullMove = 1;
  if (readNumberToken(p, number)) fullMove = int(number);

  if (!safeForEngine(ob, side)) {
    ob = saved;
    return false;
  }
  dropImpossibleEp(ob, side);
  if (side == White && isInitialPosition(ob)) {
    // The moved bits of the minor pieces, which no FEN can give, make the book key: a GUI that
    // sends the initial position as FEN must find the book that "startpos" finds.
    const uint8_t fifty = ob.fifty;
    resetOldBoard(ob);
    ob.fifty = fifty;
  }
  recomputeOldBoard(ob, side, false);
  if (sideToMove) *sideToMove = side;
  if (moveNumber) *moveNumber = fullMove;
  return true;
}

std::string oldBoardToFen(const OldBoard& ob, int side) {
  std::string fen;
  for (int row = 0; row < 8; ++row) {
    int emptyRun = 0;
    for (int file = 0; file < 8; ++file) {
      uint8_t b = ob.squares[makeSquare(row, file)];
      if (isEmptyByte(b)) {
        ++emptyRun;
        continue;
      }
      if (emptyRun) fen += char('0' + emptyRun);
      emptyRun = 0;
      fen += (oldColour(b) == Black ? blackPieceLetters : whitePieceLetters)[oldPiece(b)];
    }
    if (emptyRun) fen += char('0' + emptyRun);
    if (row < 7) fen += '/';
  }
  fen += side == Black ? " b " : " w ";

  std::string rights;
  for (int colour : {White, Black}) {
    for (const bool kingSide : {true, false}) {
      const int file = castlingRookFile(ob, colour, kingSide);
      if (file < 0) continue;
      // X-FEN: the outermost rook of a wing is K or Q, one with another rook outside it its file.
      bool outermost = true;
      for (int f = kingSide ? 7 : 0; f != file; f += kingSide ? -1 : 1)
        outermost &= oldPiece(ob.squares[makeSquare(rowOf(ob.kingSquare[colour]), f)]) != Rook ||
                     oldColour(ob.squares[makeSquare(rowOf(ob.kingSquare[colour]), f)]) != colour;
      const char letter = outermost ? (kingSide ? 'k' : 'q') : fileLetters[file];
      rights += colour == White ? char(letter - 'a' + 'A') : letter;
    }
  }
  fen += rights.empty() ? "-" : rights;

  int ep = oldEp(ob);
  int target = ep < 32 ? ep - 8 : ep + 8;
  fen += ' ';
  if (ep && target >= 0 && target < 64) {
    fen += fileLetters[fileOf(target)];
    fen += rankChars[rowOf(target)];
  } else {
    fen += '-';
  }
  fen += ' ' + std::to_string(ob.fifty);
  return fen;
}

void printBoard(const OldBoard& ob, std::string* sink) {
  std::string picture;
  for (int row = 0; row < 8; ++row) {
    appendRow(picture, row, nullptr);
    appendRow(picture, row, &ob);
    appendRow(picture, row, nullptr);
  }
  picture += "\n   ";
  for (int file = 0; file < 8; ++file) picture += std::string("   ") + fileLetters[file] + "   ";
  picture += "\n\n";
  // One write, so the picture never interleaves with a line from the search thread.
  printRaw(picture.data(), picture.size());
  if (sink) *sink += picture;
}
