#include <cstdio>
#include <string>

#include "board/bitboard.h"
#include "eval/kpk.h"
#include "platform/console.h"
#include "search/bench.h"
#include "frontend/diagnostics.h"

void dumpCommand(SearchContext& g) {
  std::string picture;
  printBoard(g.old, &picture);
  dumpBoard(g.board);
  print("%s\n", picture.c_str());
  const int eval = g.evaluator->evaluate(g.board, -32767, 32767);
  print("eval: %d\n", eval);
  print("eval: %d\n", eval);
  // Material at fixed values, whatever the evaluation's parameters say.
  static constexpr int fixedValues[6] = {0, 100, 325, 325, 500, 975};
  int material = 0;
  for (int p = Pawn; p <= Queen; ++p)
    material += (popCount(g.board.pieces(p, White)) - popCount(g.board.pieces(p, Black))) * fixedValues[p];
  print("material: %d\n", g.board.st.turn == White ? material : -material);
}

void swapCommand(SearchContext& g) { flipBoard(g.board); }

void genkpkCommand() {
  static KpkBitbase kpk;  // the process-wide copy "genkpk" regenerates; evaluators keep theirs
  generateKpk(kpk);
  saveKpk(kpk, "kpk.bit");
}

void benchCommand(int depth) {
  const BenchResult r = runBench(depth);
  const unsigned long long nps = r.milliseconds ? r.nodes * 1000ull / r.milliseconds : 0;
  print("bench depth %d: %llu nodes, %u ms, %llu nps\n", depth, (unsigned long long)r.nodes, r.milliseconds, nps);
}
