// The quiescence search: the leaves of the main search play out captures (and, at the first level,
// quiet checks) until the position is quiet enough for the static evaluation to be trusted.
#include <algorithm>
#include <cassert>

#include "board/draw.h"
#include "board/history.h"
#include "board/makemove.h"
#include "search/clock.h"
#include "search/move_picker.h"
#include "search/node.h"
#include "search/score.h"
#include "search/search.h"
#include "search/search_params.h"

namespace {

// What a move can add to the material at best, for delta pruning: the promotion's gain by the
// promoted piece, and the captured piece by its type (an en passant target square is empty).
constexpr int promotionGain[6] = {0, 0, 225, 225, 400, 875};
constexpr int captureGain[7] = {100, 100, 325, 325, 500, 975, 0};

// Step 5: a deep enough entry whose bound settles the window answers the node; otherwise its move
// is tried first. Returns whether the node is answered (with `score`).
bool tableAnswers(SearchContext& ctx, int qdepth, int ply, int alpha, int beta, Move& hashMove, int& score) {
  const TTEntry* e = ctx.tt.probe(ctx.board.hash);
  if (!e || e->bound() == BoundEmpty) return false;
  const Move m = e->bestMove();
  hashMove = m;
  // A quiescence result of the first level (0) serves every level; a deeper one (-1) only those.
  if (e->depth < (qdepth < 0 ? -1 : 0)) return false;
  score = scoreFromTable(e->score, ply);
  const Bound bound = e->bound();
  const bool failsHigh = bound == BoundLower && score >= beta;
  if (!failsHigh && bound != BoundExact && !(bound == BoundUpper && score <= alpha)) return false;
  PlyRecord& row = ctx.pvTable[ply];
  row.current = row.pv[ply] = m;
  if (failsHigh && !isNullMove(m) && isQuiet(m)) updateKillers(row, m);
  return true;
}

}  // namespace

int quiesce(SearchContext& ctx, int qdepth, int ply, int alpha, int beta) {
  assert(qdepth <= 0);
  assert(ply >= 0 && ply <= MaxPly);
  assert(-MateValue <= alpha && alpha < beta && beta <= MateValue);
  Board& b = ctx.board;
  PlyRecord& row = ctx.pvTable[ply];

  // 1. This node's row starts empty; the deepest ply reached is reported as seldepth.
  enterNode(ctx, ply);
  ctx.seldepth = std::max(ctx.seldepth, ply);
  // 2. Fifty moves or material that cannot mate: a draw whatever is played.
  if (isDrawByRule(b)) return DrawScore;
  // 3. A position seen before on this line is a draw, at any ply of the quiescence search.
  if (isRepetition(ctx.history, b)) return DrawScore;
  // 4. No score here can beat a mate found nearer the root.
  const int origAlpha = alpha;
  alpha = std::max(alpha, matedIn(ply));
  beta = std::min(beta, mateIn(ply + 1));
  if (alpha >= beta) return alpha;
  const bool zeroWindow = beta == origAlpha + 1;
  // 5. The transposition table may answer the node, or at least name the move to try first.
  Move hashMove{};
  int score;
  if (tableAnswers(ctx, qdepth, ply, alpha, beta, hashMove, score)) return score;
  // 6. The static evaluation, and how much danger our king is in (it makes delta pruning wary).
  const int standPat = ctx.evaluator->evaluate(b, alpha, beta);
  const int kingDanger = ctx.evaluator->kingDanger(b.turn());
  // 7. Out of check the side to move may stand pat: it need not capture at all.
  const bool inCheck = b.inCheck();
  int best = NoScore;
  if (!inCheck) {
    if (standPat > alpha) {
      if (standPat >= beta) return standPat;
      alpha = standPat;
    }
    best = standPat;
  }
  // 8. The rows end here.
  if (ply >= MaxPly) return standPat;

  // 9. Evasions in check; otherwise captures and queen promotions, at the first level also quiet checks.
  const PickerMode mode = qdepth < 0 ? PickerMode::Quiescence : PickerMode::QuiescenceChecks;
  MovePicker picker(b, ply, hashMove, mode, row, ctx.historyTable);
  picker.fetchChildrenFrom(ctx.tt);
  const Bitboard candidates = discoveredCheckCandidates(b);
  bool anyMove = false;
  // 10. Search the moves worth a look until one reaches beta.
  for (Move m; picker.next(m);) {
    anyMove = true;
    // 10.1 The move in progress at this ply.
    row.current = m;
    // 10.2 A stop, or the deadline (no node budget here), unwinds without storing.
    if (ctx.stopSearch) return alpha;
    if (deadlineReached(ctx, readClock())) return alpha;
    // 10.3 Which moves are worth a look; in check every evasion is.
    int checks = -1;  // not known yet
    if (!inCheck) {
      if (qdepth < 0) {
        // Below the first level: material-changing moves only, and no losing captures.
        if (!(m.flags & (MoveCapture | MoveCastle)) && !m.promotion) continue;
        if (isCapture(m) && !(m.flags & MoveGoodCapture)) continue;
        // Delta pruning: in a zero window, a move that cannot lift the score to beta even with a
        // margin is left out, but its optimistic value still bounds the node.
        if (!isCastle(m) && zeroWindow) {
          int optimistic = standPat + param::DeltaMarginCP + kingDanger / 10;
          if (m.promotion) optimistic += promotionGain[m.promotion];
          if (isCapture(m)) optimistic += captureGain[mailboxPiece(b.mailbox[m.to])];
          if (optimistic < beta) {
            best = std::max(best, optimistic);
            continue;
          }
        }
      }
      const bool material = m.promotion == Queen || (m.flags & MoveGoodCapture);
      if (!isCastle(m) && !material) {
        if (!givesCheck(b, m, candidates)) continue;
        checks = 1;
      }
    }
    // 10.4 Play it, telling it whether it checks (cheaper here than looking at the king after);
    // the child's table entry is fetched meanwhile. A capture or pawn move starts a new
    // repetition span.
    if (checks < 0) checks = givesCheck(b, m, candidates);
    UndoInfo undo;
    const uint32_t mask = makeMove(b, m, undo, checks);
    prefetchChild(ctx, b.hash);
    historyPush(ctx.history, b.hash, b.st.fiftyCounter == 0);
    // 10.5 One level deeper.
    score = -quiesce(ctx, qdepth - 1, ply + 1, -beta, -alpha);
    // 10.6 Take it back.
    historyPop(ctx.history);
    unmakeMove(b, mask, undo);
    // A child cut short by a stop proves nothing: this level must not store what follows from it.
    if (ctx.stopSearch) return alpha;
    // 10.7 Keep the best; only a score above alpha changes the line.
    if (score <= best) continue;
    best = score;
    if (score <= alpha) continue;
    alpha = score;
    // 10.8 An open window keeps the whole line for the PV; a zero window only the move.
    row.pv[ply] = m;
    if (!zeroWindow) copyChildLine(ctx, ply);
    // 10.9 A mate next move is tried first next time.
    if (score == mateIn(ply + 1)) row.mateKiller = m;
    // 10.10 A cut-off; a quiet refutation (a check) becomes a killer, the history stays as it is.
    if (score >= beta) {
      if (isQuiet(m)) updateKillers(row, m);
      break;
    }
  }
  // 9 (cont.). In check with no move at all: mated.
  if (!anyMove && inCheck) return matedIn(ply);

  // 11. Remember the bound: depth 0 for the first level, -1 below it.
  const Bound bound = best <= origAlpha ? BoundUpper : best < beta ? BoundExact : BoundLower;
  ctx.tt.store(b.hash, ply, qdepth < 0 ? -1 : 0, bound, best, row.pv[ply]);
  // 12. Fail-soft: the best score, wherever it lies.
  return best;
}
