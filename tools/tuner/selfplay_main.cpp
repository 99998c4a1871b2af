// velmar-selfplay: training positions for velmar-tune from the engine's games against itself.
// Appends to the output a game at a time, so a run may be stopped and resumed at will (with
// another seed, or the same games are played again).
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>

#include "board/prng.h"
#include "frontend/startup.h"
#include "self_play.h"

namespace {

const char* usage =
    "usage: velmar-selfplay OUTPUT [--games N] [--nodes N] [--node-spread P] [--random-plies N]\n"
    "                      [--balance CP] [--seed S] [--book FILE]\n"
    "  --games N         games to play (default 1000)\n"
    "  --nodes N         nodes searched a move (default 5000)\n"
    "  --node-spread P   each search's nodes drawn from N +- P percent (default 0)\n"
    "  --random-plies N  random moves once the book has none (default 8)\n"
    "  --balance CP      drop a game whose first search scores beyond +-CP (default 0: keep all)\n"
    "  --seed S          seed of the book and random moves (default: from the time, printed)\n"
    "  --book FILE       opening book (default velmar.vbk; none if missing)\n";

bool number(const char* text, long min, long max, long& out) {
  char* end = nullptr;
  out = std::strtol(text, &end, 10);
  return *text && !*end && out >= min && out <= max;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argv[1][0] == '-') {
    std::fputs(usage, stderr);
    return 2;
  }
  const std::string output = argv[1];
  long games = 1000, nodes = 5000, nodeSpread = 0, randomPlies = 8, balance = 0, seed = long(std::time(nullptr) & 0x7FFFFFFF);
  std::string bookPath = "velmar.vbk";
  for (int i = 2; i < argc; ++i) {
    const std::string flag = argv[i];
    const char* value = i + 1 < argc ? argv[++i] : "";
    bool ok = true;
    if (flag == "--games") ok = number(value, 1, 100000000, games);
    else if (flag == "--nodes") ok = number(value, 1, 100000000, nodes);
    else if (flag == "--node-spread") ok = number(value, 0, 90, nodeSpread);
    else if (flag == "--random-plies") ok = number(value, 0, 100, randomPlies);
    else if (flag == "--balance") ok = number(value, 0, 100000, balance);
    else if (flag == "--seed") ok = number(value, 0, 0x7FFFFFFF, seed);
    else if (flag == "--book") bookPath = value;
    else ok = false;
    if (!ok) {
      std::fprintf(stderr, "bad option %s %s\n%s", flag.c_str(), value, usage);
      return 2;
    }
  }
  std::ofstream out(output, std::ios::app);
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", output.c_str());
    return 1;
  }

  initEngineTables();
  OpeningBook book;
  loadBook(book, bookPath.c_str());
  std::printf("seed %ld, book %s: %d positions\n", seed, bookPath.c_str(), book.size());
  seedRandom(uint32_t(seed));
  SelfPlaySettings settings;
  settings.nodes = int(nodes);
  settings.nodeSpread = int(nodeSpread);
  settings.randomPlies = int(randomPlies);
  settings.balance = int(balance);
  settings.book = book.size() > 0 ? &book : nullptr;
  auto ctx = std::make_unique<SearchContext>();
  long written = 0, whiteWins = 0, blackWins = 0, draws = 0, dropped = 0;
  for (long g = 1; g <= games; ++g) {
    const std::vector<TrainingPosition> positions = playTrainingGame(*ctx, settings);
    for (const TrainingPosition& p : positions) out << trainingLine(p.fen, p.result, p.score) << '\n';
    out.flush();
    if (!out) {
      std::fprintf(stderr, "cannot write %s\n", output.c_str());
      return 1;
    }
    written += long(positions.size());
    if (positions.empty()) ++dropped;
    else if (positions[0].result == 0.5) ++draws;
    else ++(positions[0].result == 1 ? whiteWins : blackWins);
    if (g % 100 == 0 || g == games)
      std::fprintf(stderr, "%ld games (white won %ld, black won %ld, drawn %ld, none kept %ld), %ld positions\n", g,
                   whiteWins, blackWins, draws, dropped, written);
  }
  std::printf("%ld games, %ld positions appended to %s\n", games, written, output.c_str());
  return 0;
}
