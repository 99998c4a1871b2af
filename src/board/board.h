// The bitboard position: 17 words, a mailbox and the piece values it counts material with.
#pragma once

#include <cstddef>
#include <string>

#include "board/types.h"

struct OldBoard;

struct StateBlock {
  uint8_t kingSquare[2];
  uint8_t ep;            // square of the pawn that just made a double step, 0 = none
  uint8_t fiftyCounter;  // plies since the last capture or pawn move
  uint8_t turn;
  uint8_t castRights[2];  // high nibble: file + 1 of the queen-side rook, low nibble: king side
  uint8_t check;          // side to move is in check
};

struct MaterialBlock {
  int16_t dmat;       // white minus black, in pieceValues
  int16_t tmat;       // phase material of both colours
  int16_t tmatWhite;  // phase material of white
  uint8_t pair[2];    // bit 0: two or more bishops, bit 1: two or more rooks
};

// Words 0..16 of the position; makeMove saves and restores them by number.
enum BoardWord : int {
  WordHash = 0,
  WordState = 1,
  WordPieces = 2,    // word 2 * piece + colour for piece 1..6 (6 = all pieces of the colour)
  WordOccupied = 12,  // 12 white, 13 black
  WordMaterial = 14,
  WordPawnKey = 15,
  WordMaterialKey = 16,
  BoardWords = 17,
};

// Piece values dmat counts in (none, pawn ... king); the evaluation's parameters are bound here.
extern int pieceValueTable[7];
// Fixed weights of the game phase.
constexpr int phaseWeight[7] = {0, 0, 325, 325, 500, 975, 0};

struct Board {
  uint64_t hash;
  StateBlock st;
  Bitboard pieceBits[12];  // words 2..13: index 2 * piece + colour - 2
  MaterialBlock mat;
  uint64_t pawnKey;
  uint64_t materialKey;  // counts, six bits each at 6 * (2 * (piece - 1) + colour)
  uint8_t mailbox[64];
  const int* pieceValues = pieceValueTable;

  Bitboard& pieces(int piece, int colour) { return pieceBits[2 * piece + colour - 2]; }
  Bitboard pieces(int piece, int colour) const { return pieceBits[2 * piece + colour - 2]; }
  Bitboard& occupied(int colour) { return pieceBits[10 + colour]; }
  Bitboard occupied(int colour) const { return pieceBits[10 + colour]; }
  Bitboard occupancy() const { return pieceBits[10] | pieceBits[11]; }
  int turn() const { return st.turn; }
  int kingSquare(int colour) const { return st.kingSquare[colour]; }
  bool inCheck() const { return st.check; }
};

static_assert(offsetof(Board, st) == 8 * WordState);
static_assert(offsetof(Board, pieceBits) == 8 * WordPieces);
static_assert(offsetof(Board, mat) == 8 * WordMaterial);
static_assert(offsetof(Board, pawnKey) == 8 * WordPawnKey);
static_assert(offsetof(Board, materialKey) == 8 * WordMaterialKey);
static_assert(sizeof(StateBlock) == 8 && sizeof(MaterialBlock) == 8);

uint64_t boardWord(const Board& b, int word);

constexpr uint64_t materialKeyUnit(int piece, int colour) {
  return uint64_t{1} << (6 * (2 * (piece - 1) + colour));
}

void resetBoard(Board& b);
void recomputeDerived(Board& b);
void boardFromOld(Board& b, const OldBoard& ob, int side);
std::string boardToFen(const Board& b);
void flipBoard(Board& b);
void dumpBoard(const Board& b);

// The same position as an OldBoard: moved bits on every piece but a king or rook that still
// carries a castling right.
void oldFromBoard(OldBoard& ob, const Board& b);

// True when every derived word equals a fresh recomputation and the placement views agree.
bool boardConsistent(const Board& b);
