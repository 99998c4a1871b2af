#include <algorithm>
#include <cstdio>

#include "board/draw.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "board/prng.h"
#include "platform/console.h"
#include "platform/tick.h"
#include "frontend/diagnostics.h"

namespace {

// Third occurrence of the current key among the positions with the same side to move.
bool thirdRepetition(const std::vector<uint64_t>& keys) {
  const uint64_t current = keys.back();
  int seen = 0;
  const size_t steps = (keys.size() + 1) / 2;
  for (size_t i = 0; i < steps; ++i)
    if (keys[keys.size() - 1 - 2 * i] == current && ++seen == 3) return true;
  return false;
}

double percent(int64_t count, int64_t games) { return double(count) * 100.0 / double(games); }

}  // namespace

void playRandomGame(RandomGameStats& stats, std::vector<uint64_t>& keys) {
  Board b;
  resetBoard(b);
  keys.clear();
  keys.push_back(b.hash);
  int32_t plies = 0;
  for (;;) {
    if (isDrawByRule(b)) {
      ++(b.st.fiftyCounter >= 101 ? stats.fiftyRule : stats.insufficientMaterial);
      break;
    }
    Move moves[MaxMoves];
    const int n = generateMoves(b, moves);
    if (n == 0) {
      if (!b.st.check)
        ++stats.stalemate;
      else
        ++(b.st.turn == White ? stats.blackWins : stats.whiteWins);
      break;
    }
    doMove(b, moves[random15() % n]);
    ++plies;
    if (b.st.fiftyCounter == 0) keys.clear();
    keys.push_back(b.hash);
    if (thirdRepetition(keys)) {
      ++stats.repetition;
      break;
    }
  }
  stats.minPlies = std::min(stats.minPlies, plies);
  stats.maxPlies = std::max(stats.maxPlies, plies);
  stats.totalPlies += plies;
}

void rgstatCommand(int64_t games) {
  if (games < 1) return;
  const int64_t start = tickCount();
  seedRandom(uint32_t(start));
  RandomGameStats s;
  std::vector<uint64_t> keys;
  keys.reserve(1024);
  for (int64_t g = games; g >= 1; --g) {
    if (g % 32768 == 0) print("%0.1lf%% ", 100.0 - double(g) * 100.0 / double(games));
    playRandomGame(s, keys);
  }
  const int64_t t = tickCount() - start;
  // A run under a millisecond is timed as one, so the rate stays finite.
  const double seconds = double(std::max<int64_t>(t, 1)) * 0.001;
  print("\n");
  print("took %d ms\n", int(t));
  print("%d min plies\n", s.minPlies);
  print("%d max plies\n", s.maxPlies);
  print("%lld total plies\n", (long long)s.totalPlies);
  print("%0.6lf avg plies\n", double(s.totalPlies) / double(games));
  print("%lld total games\n", (long long)games);
  const int64_t mates = s.whiteWins + s.blackWins;
  print("%lld checkmates (%0.6lf%%)\n", (long long)mates, percent(mates, games));
  print("%lld whitewins (%0.6lf%%)\n", (long long)s.whiteWins, percent(s.whiteWins, games));
  print("%lld blackwins (%0.6lf%%)\n", (long long)s.blackWins, percent(s.blackWins, games));
  print("%lld fiftyrule (%0.6lf%%)\n", (long long)s.fiftyRule, percent(s.fiftyRule, games));
  print("%lld insuffmaterial (%0.6lf%%)\n", (long long)s.insufficientMaterial,
        percent(s.insufficientMaterial, games));
  print("%lld repetition (%0.6lf%%)\n", (long long)s.repetition, percent(s.repetition, games));
  print("%lld stalemate (%0.6lf%%)\n", (long long)s.stalemate, percent(s.stalemate, games));
  print("%0.6lf Hz (%0.6lf s)\n", double(games) / seconds, seconds / double(games));
}
