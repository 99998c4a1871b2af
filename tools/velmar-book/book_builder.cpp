#include "book_builder.h"

#include <algorithm>
#include <tuple>

#include "board/oldboard.h"
#include "move_lookup.h"

namespace {

struct PlayedMove {
  uint64_t key;
  PackedMove move;
  int mover;
};

bool operator<(const PlayedMove& a, const PlayedMove& b) {
  return std::tie(a.key, a.move) < std::tie(b.key, b.move);
}
bool operator==(const PlayedMove& a, const PlayedMove& b) { return a.key == b.key && a.move == b.move; }

bool lostBy(GameResult result, int side) {
  return (result == GameResult::WhiteWins && side == Black) ||
         (result == GameResult::BlackWins && side == White);
}

std::string moveDescription(const MoveToken& token, int moveNumber, int side) {
  return "\"" + token.text + "\" (move " + std::to_string(moveNumber) + ", " +
         (side == White ? "white" : "black") + ")";
}

// The start: the engine's "position startpos" board, or "position fen" for a FEN tag.
bool setUpStart(const GameRecord& game, const std::string& fileName, OldBoard& ob, int& side,
                int& moveNumber) {
  resetOldBoard(ob);
  side = White;
  moveNumber = 1;
  if (!game.hasFen) return true;
  if (parseFen(ob, game.fen.c_str(), &side, &moveNumber)) return true;
  reportInputError(fileName, game.firstLine, "invalid FEN \"" + game.fen + "\"; game skipped");
  return false;
}

// The positions and moves of the game's opening; false when it broke off early.
bool playGame(const GameRecord& game, const std::string& fileName, int plies,
              std::vector<PlayedMove>& played) {
  OldBoard ob;
  int side, moveNumber;
  if (!setUpStart(game, fileName, ob, side, moveNumber)) return false;
  const int last = std::min<int>(plies, int(game.moves.size()));
  for (int ply = 0; ply < last; ++ply) {
    const MoveToken& token = game.moves[size_t(ply)];
    RefMove legal[MaxRefMoves];
    const int count = generateMovesOld(ob, side, legal);
    RefMove move;
    const Lookup found = game.notation == MoveNotation::San ? findSanMove(ob, legal, count, token.text, move)
                                                            : findUciMove(legal, count, token.text, move);
    if (found != Lookup::Found) {
      reportInputError(fileName, token.line,
                       std::string(lookupProblem(found)) + " " + moveDescription(token, moveNumber, side) +
                           "; the rest of the game is skipped");
      return false;
    }
    played.push_back(PlayedMove{ob.hash, move.packed, side});
    // Exactly what the engine's "position" command does with a GUI move.
    makeMoveOld(ob, side, move);
    if (side == Black) ++moveNumber;
    side ^= 1;
  }
  return true;
}

MoveCount& countFor(std::vector<MoveCount>& list, PackedMove move) {
  for (MoveCount& c : list)
    if (c.move == move) return c;
  list.push_back(MoveCount{move, 0, 0});
  return list.back();
}

}  // namespace

void addGame(BookCounts& counts, const GameRecord& game, const std::string& fileName, int plies) {
  std::vector<PlayedMove> played;
  ++counts.games;
  if (!playGame(game, fileName, plies, played)) ++counts.gamesWithErrors;
  // A game that comes back to a position with the same move counts there once.
  std::sort(played.begin(), played.end());
  played.erase(std::unique(played.begin(), played.end()), played.end());
  for (const PlayedMove& p : played) {
    MoveCount& c = countFor(counts.positions[p.key], p.move);
    ++c.games;
    if (lostBy(game.result, p.mover)) ++c.lostGames;
  }
}

std::map<uint64_t, std::vector<BookEntry>> selectBookEntries(const BookCounts& counts,
                                                             const BuildSettings& settings) {
  std::map<uint64_t, std::vector<BookEntry>> book;
  for (const auto& [key, moves] : counts.positions) {
    std::vector<MoveCount> kept;
    for (const MoveCount& c : moves)
      if (c.games >= settings.minGames) kept.push_back(c);
    if (kept.empty()) continue;
    std::sort(kept.begin(), kept.end(), [](const MoveCount& a, const MoveCount& b) {
      return a.games != b.games ? a.games > b.games : a.move < b.move;
    });
    std::vector<BookEntry>& entries = book[key];
    for (const MoveCount& c : kept) {
      const bool avoided = settings.avoidLostMoves && c.lostGames == c.games;
      entries.push_back(BookEntry{c.move, int16_t(avoided ? -1 : std::min(c.games, 32767))});
    }
  }
  return book;
}
