#include "search/perft.h"

#include "board/makemove.h"
#include "board/movegen.h"

uint64_t perft(Board& b, int depth, uint64_t& checks) {
  if (depth < 1) return 1;
  if (b.st.check) ++checks;
  Move moves[MaxMoves];
  const int n = generateMoves(b, moves);
  if (depth == 1) return uint64_t(n);
  uint64_t nodes = 0;
  UndoInfo undo;
  for (int i = 0; i < n; ++i) {
    const uint32_t mask = makeMove(b, moves[i], undo);
    nodes += perft(b, depth - 1, checks);
    unmakeMove(b, mask, undo);
  }
  return nodes;
}
