// Speed of the engine's tablebase probe on the 3-piece tables: once with a fresh set (every
// block decoded on first use) and once more over the same positions with the blocks cached.
//   velmar_tb_bench [directory] [positions]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/oldboard.h"
#include "frontend/startup.h"
#include "tablebase/tablebase_set.h"

namespace {

// Legal positions of KQK, KRK, KBK, KNK and KPK, taken in turn so that consecutive probes go
// to different files, from a fixed seed so that runs compare.
std::vector<Board> benchPositions(int count) {
  const char letters[] = {'Q', 'R', 'B', 'N', 'P'};
  std::vector<Board> boards;
  uint64_t seed = 0x9E3779B97F4A7C15ULL;
  auto next = [&seed](int n) {
    seed ^= seed << 13, seed ^= seed >> 7, seed ^= seed << 17;
    return int(seed % uint64_t(n));
  };
  for (int i = 0; int(boards.size()) < count && i < 100 * count; ++i) {
    const char piece = letters[boards.size() % 5];
    char grid[64];
    std::fill(grid, grid + 64, '1');
    const int wk = next(64), bk = next(64), other = next(64);
    if (wk == bk || other == wk || other == bk) continue;
    if (piece == 'P' && (other < 8 || other >= 56)) continue;
    grid[wk] = 'K', grid[bk] = 'k', grid[other] = piece;
    std::string fen;
    for (int row = 0; row < 8; ++row) {
      fen.append(grid + 8 * row, 8);
      if (row < 7) fen += '/';
    }
    fen += next(2) ? " b - - 0 1" : " w - - 0 1";
    OldBoard ob;
    resetOldBoard(ob);
    int side = White;
    if (!parseFen(ob, fen.c_str(), &side, nullptr)) continue;  // kings touching, a capturable king
    Board b;
    boardFromOld(b, ob, side);
    boards.push_back(b);
  }
  return boards;
}

double probesPerSecond(TablebaseSet& set, const std::vector<Board>& boards, int& answered) {
  answered = 0;
  const auto start = std::chrono::steady_clock::now();
  for (const Board& b : boards) {
    gtb::Answer answer;
    answered += probeTablebase(set, b, answer);
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return seconds > 0 ? double(boards.size()) / seconds : 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : "/usr/share/gaviotatb/gtb4";
  const int count = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20000;
  initEngineTables();
  const std::vector<Board> boards = benchPositions(count);

  TablebaseSet set(path, size_t(8) << 20);
  if (set.maxMen == 0) {
    std::printf("no complete group of tables in %s\n", path.c_str());
    return 1;
  }
  int answered = 0;
  const double cold = probesPerSecond(set, boards, answered);
  const gtb::ReaderStats coldStats = set.reader.stats();
  std::printf("cold cache: %zu probes (%d answered), %.0f probes/s, %llu blocks decoded\n", boards.size(),
              answered, cold, (unsigned long long)coldStats.blocksDecoded);
  set.reader.resetStats();
  const double warm = probesPerSecond(set, boards, answered);
  const gtb::ReaderStats warmStats = set.reader.stats();
  std::printf("warm cache: %zu probes (%d answered), %.0f probes/s, %llu blocks decoded, %llu cache hits\n",
              boards.size(), answered, warm, (unsigned long long)warmStats.blocksDecoded,
              (unsigned long long)warmStats.cacheHits);
  return 0;
}
