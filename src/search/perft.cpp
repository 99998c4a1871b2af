#include "search/perft.h"

#include <algorithm>

#include "board/makemove.h"
#include "search/move_picker.h"

namespace {

// The ordering state the picker reads. Perft never records a cut-off, so one zeroed row and
// one zeroed history table serve every ply; starting from zero keeps runs repeatable.
struct PerftOrdering {
  HistoryTable history = {};
  PlyRecord row = {};
};

uint64_t perftNode(Board& b, int depth, int ply, uint64_t& checks, const PerftOrdering& ordering) {
  if (depth < 1) return 1;
  if (b.st.check) ++checks;
  // Moves come through the search's own picker (evasions when in check), so a count that is
  // right vouches for the stages and the legality tests as well as for the generators.
  MovePicker picker(b, ply, Move{}, PickerMode::Main, ordering.row, ordering.history);
  uint64_t nodes = 0;
  Move m;
  if (depth == 1) {
    while (picker.next(m)) ++nodes;
    return nodes;
  }
  UndoInfo undo;
  while (picker.next(m)) {
    const uint32_t mask = makeMove(b, m, undo);
    nodes += perftNode(b, depth - 1, ply + 1, checks, ordering);
    unmakeMove(b, mask, undo);
  }
  return nodes;
}

}  // namespace

uint64_t perft(Board& b, int depth, uint64_t& checks) {
  const PerftOrdering ordering;
  return perftNode(b, std::min(depth, MaxPerftDepth), 0, checks, ordering);
}
