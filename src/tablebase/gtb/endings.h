// The 145 endings of the Gaviota format (up to five pieces, both kings included) and the
// position index of each: the mapping of a position to its slot in the ending's file.
//
// Squares here are the format's own: 0 = a1 ... 63 = h8, 64 = no square. Piece codes:
// 1 pawn, 2 knight, 3 bishop, 4 rook, 5 queen, 6 king, 0 none.
#pragma once

#include <cstdint>

namespace gtb {

constexpr int NoSquare = 64;
constexpr int NoPiece = 0;
constexpr int Pawn = 1, Knight = 2, Bishop = 3, Rook = 4, Queen = 5, King = 6;
constexpr int MaxMen = 5;
constexpr int EndingCount = 145;

// Squares of one side's men, king first, then the other men by piece code, highest first
// (the order the format's index functions read them in); unused entries hold NoSquare.
struct Side {
  int count = 0;
  int sq[MaxMen + 1];
  int pc[MaxMen + 1];
};

// The ending's letters ("kqk", "krpkp"); nullptr past the last ending.
const char* endingName(int ending);

// Positions per side to move; every index of the ending lies below it.
uint64_t endingSize(int ending);

// The ending whose letters are exactly `name`, or -1.
int findEnding(const char* name);

// The ending formed by these two sides as they stand (white first), or -1 when the name
// they spell is not one the format stores this way round.
int endingOf(const Side& white, const Side& black);

// Sorts a side into the order the index functions expect (king first, then piece codes
// descending). Men of the same kind may come in any order.
void sortSide(Side& side);

// The position's index within `ending` (both sides sorted). False when the index function
// has no slot for it (kings touching, men on one square where the scheme detects it, a pawn
// on its first or last rank).
bool positionIndex(int ending, const Side& white, const Side& black, uint64_t& index);

}  // namespace gtb
