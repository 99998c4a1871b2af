// Square sets the evaluation terms test against, built once at start-up.
#pragma once

#include "board/types.h"

// For a pawn of colour c on s ("ahead" is toward c's promotion rank).
extern Bitboard frontFile[2][64];  // squares ahead on its file
extern Bitboard frontSpan[2][64];  // squares ahead on its file and both neighbouring files
extern Bitboard adjacentFiles[64];  // every square of the two neighbouring files

// For colour c's king on s.
extern Bitboard stormZone[2][64];    // where enemy pawns storm a wing king
extern Bitboard shieldZone[2][64];   // own pawns that shield a wing king
extern Bitboard shelterZone[2][64];  // the king's rank and the rank ahead, three files wide

// Mobility scores in millipawns by the number of squares counted.
struct MobilityTable {
  int opening[16];
  int endgame[16];
};
extern MobilityTable mobilityTables[7];  // by piece: knight, bishop, rook, queen

// Builds the masks and, from MobilityPercent as it stands, the mobility tables. Only the first
// call builds: later calls leave the tables as they are.
void initEvalMasks();

// The square a rule written for White looks at when it is applied to colour c.
constexpr int relativeSquare(int colour, int sq) { return colour == White ? sq : flipSquare(sq); }
// The row as the colour sees it: 0 is its promotion rank, 7 its back rank.
constexpr int relativeRow(int colour, int sq) { return rowOf(relativeSquare(colour, sq)); }
