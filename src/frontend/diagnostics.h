// Developer commands: move-tree counts and random-game statistics.
#pragma once

#include <cstdint>
#include <vector>

#include "board/board.h"
#include "search/context.h"

// Prints "fen = ..." (depth 1 and above) and the node and check counts with the time taken.
void perftCommand(Board& b, int depth);

// Plays `games` games of random legal moves from the initial position and prints how they ended.
void rgstatCommand(int64_t games);

// Both pictures, the state dump, the evaluation twice and the material at fixed values.
void dumpCommand(SearchContext& g);
// Mirrors the game Board (not the reference board): colours and ranks exchanged.
void swapCommand(SearchContext& g);
// Searches the bench positions to a fixed depth and prints the node count (the search's
// signature) and the speed.
void benchCommand(int depth);

// Regenerates the king-and-pawn bitbase and writes it to "kpk.bit".
void genkpkCommand();

struct RandomGameStats {
  int64_t totalPlies = 0, whiteWins = 0, blackWins = 0, fiftyRule = 0, insufficientMaterial = 0,
          repetition = 0, stalemate = 0;
  int32_t minPlies = 2147483647, maxPlies = 0;
};

// One random game, counted into stats.
void playRandomGame(RandomGameStats& stats, std::vector<uint64_t>& keys);
