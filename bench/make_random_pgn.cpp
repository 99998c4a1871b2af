// Writes a PGN file of random legal games for timing velmar-book, with the clutter real PGN
// files carry: comments of both kinds, NAGs and move suffixes, variations (some nested), escaped
// tag values, and a few games that start from a FEN tag.
//   velmar_random_pgn OUTPUT [GAMES=5000] [SEED=1]
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "board/board.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "board/movetext.h"
#include "frontend/startup.h"

namespace {

// Keeps lines of movetext under 80 columns.
struct MovetextWriter {
  std::string out;
  size_t lineLength = 0;

  void word(const std::string& w) {
    if (lineLength > 0 && lineLength + 1 + w.size() > 79) newline();
    if (lineLength > 0) {
      out += ' ';
      ++lineLength;
    }
    out += w;
    lineLength += w.size();
  }
  void newline() {
    out += '\n';
    lineLength = 0;
  }
};

struct RandomSource {
  std::mt19937 engine;
  int below(int n) { return int(engine() % uint32_t(n)); }
  bool chance(int percent) { return below(100) < percent; }
};

std::string numberPrefix(int ply, int turn, bool afterInterruption) {
  const int number = ply / 2 + 1;
  if (turn == White) return std::to_string(number) + ".";
  return afterInterruption ? std::to_string(number) + "..." : "";
}

// Fullmove numbers of the written game start at 1 with the side to move of its start position.
int plyNumber(int plies, int startTurn) { return plies + (startTurn == Black ? 1 : 0); }

Move randomMove(const Board& b, RandomSource& rng, int* count = nullptr) {
  Move moves[MaxMoves];
  const int n = generateMoves(b, moves);
  if (count) *count = n;
  return n > 0 ? moves[rng.below(n)] : Move{};
}

// One or two moves of another line from position b, where `ply` is to be played.
void writeVariation(MovetextWriter& w, const Board& b, int ply, RandomSource& rng, int depth) {
  int n = 0;
  const Move alternative = randomMove(b, rng, &n);
  if (n == 0) return;
  std::string opening = "(";
  opening += numberPrefix(ply, b.turn(), true);
  w.word(opening + moveToSan(b, alternative));
  Board after = b;
  doMove(after, alternative);
  if (depth < 2 && rng.chance(25)) writeVariation(w, after, ply + 1, rng, depth + 1);
  const Move reply = randomMove(after, rng, &n);
  if (n > 0) w.word(numberPrefix(ply + 1, after.turn(), depth < 2) + moveToSan(after, reply));
  w.out += ')';
  ++w.lineLength;
}

const char* const nags[] = {"$1", "$2", "$3", "$4", "$5", "$6", "$10", "$14", "$146"};
const char* const suffixes[] = {"!", "?", "!!", "??", "!?", "?!"};
const char* const results[] = {"1-0", "0-1", "1/2-1/2", "*"};

std::string tag(const std::string& name, const std::string& value) {
  return "[" + name + " \"" + value + "\"]\n";
}

std::string randomGame(int index, RandomSource& rng) {
  Board b;
  resetBoard(b);
  std::string tags = tag("Event", "Random games") + tag("Site", "velmar") + tag("Date", "2024.01.01") +
                     tag("Round", std::to_string(index + 1)) + tag("White", "Random, A") +
                     tag("Black", "Random, B");
  if (rng.chance(10)) tags += tag("Annotator", "the \\\"random\\\" mover");
  if (rng.chance(3)) {
    // Start somewhere in an opening; the FEN tag's game is keyed from that position.
    for (int i = 8 + rng.below(12); i > 0; --i) {
      int n = 0;
      const Move m = randomMove(b, rng, &n);
      if (n == 0) break;
      doMove(b, m);
    }
    tags += tag("SetUp", "1") + tag("FEN", boardToFen(b) + " 1");
  }

  MovetextWriter w;
  const int startTurn = b.turn();
  const int length = 30 + rng.below(90);
  bool interrupted = true;
  std::string result;
  for (int plies = 0; result.empty(); ++plies) {
    Move moves[MaxMoves];
    const int n = generateMoves(b, moves);
    const int ply = plyNumber(plies, startTurn);
    if (n == 0) {
      result = !b.inCheck() ? "1/2-1/2" : b.turn() == White ? "0-1" : "1-0";
      break;
    }
    if (b.st.fiftyCounter >= 100 || plies >= length) {
      result = results[rng.below(4)];
      break;
    }
    const Move m = moves[rng.below(n)];
    std::string text = numberPrefix(ply, b.turn(), interrupted);
    if (!text.empty()) w.word(text);
    text = moveToSan(b, m);
    if (rng.chance(3)) text += suffixes[rng.below(6)];
    w.word(text);
    interrupted = false;
    if (rng.chance(3)) w.word(nags[rng.below(9)]);
    if (rng.chance(3)) {
      w.word(rng.chance(50) ? "{a plain remark}" : "{a remark over\ntwo lines (with a parenthesis)}");
      interrupted = true;
    }
    if (rng.chance(2)) {
      writeVariation(w, b, ply, rng, 0);
      interrupted = true;
    }
    if (rng.chance(1)) {
      w.word("; to the end of the line");
      w.newline();
      interrupted = true;
    }
    doMove(b, m);
  }
  w.word(result);
  return tags + tag("Result", result) + "\n" + w.out + "\n\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: velmar_random_pgn OUTPUT [GAMES=5000] [SEED=1]\n");
    return 2;
  }
  const int games = argc > 2 ? std::atoi(argv[2]) : 5000;
  RandomSource rng{std::mt19937(uint32_t(argc > 3 ? std::atoi(argv[3]) : 1))};
  initEngineTables();
  std::FILE* out = std::fopen(argv[1], "wb");
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  for (int g = 0; g < games; ++g) {
    const std::string text = randomGame(g, rng);
    std::fwrite(text.data(), 1, text.size(), out);
  }
  std::fclose(out);
  std::printf("%d games written to %s\n", games, argv[1]);
  return 0;
}
