// The mailbox reference board: what FEN is parsed into, what the board picture is drawn
// from, and what the reference move generator works on. Its side to move is kept by the owner.
#pragma once

#include <string>

#include "board/types.h"

// Square byte: bits 0-2 piece, OldBlack marks a black piece, OldMoved marks a piece that has
// moved (a king or rook carrying it may no longer castle).
constexpr uint8_t OldBlack = 8;
constexpr uint8_t OldMoved = 16;

constexpr int oldPiece(uint8_t b) { return b & 7; }
constexpr int oldColour(uint8_t b) { return (b >> 3) & 1; }

// Flags byte: bit 0 white may not castle at all, bit 1 black; bits 2-7 the ep square.
constexpr uint8_t NoCastleWhite = 1;
constexpr uint8_t NoCastleBlack = 2;

struct OldBoard {
  uint8_t squares[64];
  uint64_t hash;            // book key: pieces with their moved bits, ep, side to move
  uint8_t kingSquare[2];
  uint8_t lastTarget;       // target of the last move; 255 after a reset, FEN or null move
  uint8_t flagsEp;
  uint8_t fifty;
  uint8_t check;            // bit 0: the king of the side to move is attacked
  int32_t material;         // white minus black, pawn = 1000
  int32_t nonPawnMaterial;  // both colours
  uint64_t occupancy;
};

inline int oldEp(const OldBoard& ob) { return ob.flagsEp >> 2; }
inline void setOldEp(OldBoard& ob, int ep) { ob.flagsEp = uint8_t((ob.flagsEp & 3) | (ep << 2)); }

// Material values of the reference board (millipawns), by piece.
constexpr int oldPieceValue[7] = {0, 1000, 3250, 3250, 5000, 9750, 0};

void resetOldBoard(OldBoard& ob);

// Recomputes occupancy, king squares, both material sums, the check bit and the hash
// (ep term only when withEp) for the given side to move.
void recomputeOldBoard(OldBoard& ob, int side, bool withEp);

// Parses FEN text; on failure restores the board and returns false. Refuses placements that
// would leave the engine unsafe: a side without exactly one king, a pawn on the first or last
// rank, more than 16 pieces of one colour, a king that the side to move could capture. An ep
// field that names no pawn which could just have made a double step is dropped.
bool parseFen(OldBoard& ob, const char* text, int* sideToMove, int* moveNumber);

// The file of the rook colour may castle with on that wing, -1 when it has no such right: the
// king unmoved on its home row, the side not barred, an unmoved rook there (the corner one in the
// standard game).
int castlingRookFile(const OldBoard& ob, int colour, bool kingSide);

// Five FEN fields (no move number), the same format boardToFen writes.
std::string oldBoardToFen(const OldBoard& ob, int side);

// The ASCII picture, on standard output and appended to sink when given.
void printBoard(const OldBoard& ob, std::string* sink = nullptr);
