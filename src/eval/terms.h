// The evaluation's terms, each a function over the state of one evaluation. Rules are written
// for White and mirrored for Black through the colour argument.
#pragma once

#include "eval/evaluator.h"

// The state before the pawn, piece and king terms run: king zones, pawn attacks and their
// pressure on the king zones, mobile pawns (the only amounts in the sums), piece groups.
void prepareEvalState(EvalState& s, const Board& b);

// Pawn structure through the pawn hash entry: on a hit take the stored deltas and passers, on a
// miss evaluate every pawn and store the entry.
void pawnStructure(EvalState& s, PawnEntry& entry);
// King-distance terms of the passed pawns and the nearest unstoppable passer of each side.
void passerDynamics(EvalState& s);

void knightTerms(EvalState& s, int colour, int sq);
void bishopTerms(EvalState& s, int colour, int sq);
void rookTerms(EvalState& s, int colour, int sq);
void queenTerms(EvalState& s, int colour, int sq);
// Storm, shield, shelter, king attack and the unstoppable-passer bonus; after all pieces.
void kingTerms(EvalState& s, int colour, int sq);

// Safe squares behind and beside the colour's pawns in the centre files.
void spaceTerm(EvalState& s, int colour);
// Rooks or queens against none.
void imbalanceTerm(EvalState& s);
// A queen that can land next to the enemy king, defended, covering every flight square: the
// side to move mates at once. Sets both sums and returns true when found.
bool contactMateThreat(EvalState& s);

// Mop-up, material-signature recognisers and bare-king draws, on the blended score v
// (millipawns, White's view); returns the adjusted score.
int endgameKnowledge(const EvalState& s, int v);
