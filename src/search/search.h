// The search below the root, the quiescence search, and the check test they share.
#pragma once

#include "board/board.h"
#include "board/move.h"
#include "search/context.h"

constexpr int OnePly = 256;  // depths are in 1/256 plies

// Open-window node of the principal variation; fail-soft.
int searchPV(SearchContext& ctx, int depth, int ply, int alpha, int beta);
// Zero-window node searching (alpha, alpha + 1); fail-soft.
int searchNonPV(SearchContext& ctx, int depth, int ply, int alpha, bool nullAllowed);
// Captures (and at qdepth 0 quiet checks) until the position is quiet.
int quiesce(SearchContext& ctx, int qdepth, int ply, int alpha, int beta);

// Own pieces whose move may uncover a check on the enemy king: each is the only piece between
// that king and an own slider of the matching kind (queens excluded as candidates).
Bitboard discoveredCheckCandidates(const Board& b);
bool givesCheck(const Board& b, Move m, Bitboard candidates);

// Depth a move's child is searched at (extensions); D is the node's depth.
int childDepth(const Board& b, Move m, int depth, bool checks, bool mateThreat);

// The time and node limits; sets stopSearch and returns true when the search must stop.
bool limitReached(SearchContext& ctx);
