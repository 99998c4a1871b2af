// Turning games into book entries: every position of a game's opening, keyed exactly as the
// engine keys its reference board after "position ... moves ...", with the moves played there.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "book/book.h"
#include "game_record.h"

struct BuildSettings {
  int plies = 24;              // moves of each game that go into the book
  int minGames = 1;            // a move needs this many games to be written
  bool avoidLostMoves = true;  // a move only ever played by the side that lost gets value -1
};

struct MoveCount {
  PackedMove move;
  int games;
  int lostGames;  // games the side that played the move went on to lose
};

struct BookCounts {
  std::unordered_map<uint64_t, std::vector<MoveCount>> positions;
  int games = 0;
  int gamesWithErrors = 0;
};

// Plays the game's first `plies` moves on the reference board and counts each position and
// move once per game. A bad start position or move is reported, and the game counts up to it.
void addGame(BookCounts& counts, const GameRecord& game, const std::string& fileName, int plies);

// The book to write: per position the moves seen in at least minGames games, most played
// first, valued by their number of games (at most 32767), or -1 when avoided as lost.
std::map<uint64_t, std::vector<BookEntry>> selectBookEntries(const BookCounts& counts,
                                                             const BuildSettings& settings);
