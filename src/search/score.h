// Search scores: centipawns from the side to move's view, inside [-32767, 32767].
#pragma once

constexpr int MateValue = 32767;  // a side mated at ply p scores p - MateValue
constexpr int NoScore = -32767;   // no score yet: the initial best, unsearched root moves
constexpr int DrawScore = 0;

// Scores reported as "score mate N": every mate, the tablebases' included, whose distances
// (up to 255 plies beyond the probing node) go far past any the search finds itself. The
// evaluation stays below this bound.
constexpr int ReportedMateBound = 31767;
constexpr bool isReportedMate(int score) { return score >= ReportedMateBound || score < -(ReportedMateBound - 1); }

// Scores the transposition table corrects by the ply they were found at.
constexpr int TableMateBound = 31767;
constexpr bool isTableMate(int score) { return score >= TableMateBound || score < -(TableMateBound - 1); }

constexpr int matedIn(int ply) { return ply - MateValue; }
constexpr int mateIn(int ply) { return MateValue - ply; }

// Moves to mate for "score mate N": positive for the winning side, negative for the losing side.
constexpr int mateMoves(int score) { return score > 0 ? (MateValue - score) / 2 + 1 : -((MateValue + score) / 2); }
