// Self-play games that make training positions: the engine against itself at a fixed number of
// nodes a move, from openings varied by the book and by random first moves.
#pragma once

#include <vector>

#include "book/book.h"
#include "search/context.h"
#include "training_data.h"

struct SelfPlaySettings {
  int nodes = 5000;       // a move
  int nodeSpread = 0;     // each search's nodes drawn from nodes +- this percentage
  int randomPlies = 8;    // moves drawn at random once the book has none
  int balance = 0;        // centipawns: a game whose first search scores further from level is dropped (0: none is)
  int maxPlies = 400;     // a game this long is drawn
  const OpeningBook* book = nullptr;
};

// Plays one game from the initial position; returns its quiet positions (not in check, no
// capture that wins material by static exchange) from the first searched move on, each with the
// game's result; none for a game dropped as unbalanced. The engine's random numbers choose the
// book and random moves and each search's size.
std::vector<TrainingPosition> playTrainingGame(SearchContext& ctx, const SelfPlaySettings& settings);
