// The alpha-beta search below the root: searchPV for open-window nodes on the principal variation,
// searchNonPV for the zero-window nodes everywhere else. Both are fail-soft and count depth in
// 1/256 plies so that half and quarter ply extensions add up.
#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstdlib>

#include "board/bitboard.h"
#include "board/draw.h"
#include "board/history.h"
#include "board/makemove.h"
#include "eval/quick_eval.h"
#include "platform/console.h"
#include "search/clock.h"
#include "search/move_picker.h"
#include "search/node.h"
#include "search/score.h"
#include "search/search.h"
#include "search/search_params.h"
#include "search/tablebase_probe.h"
#include "search/think.h"

namespace {

constexpr int NullMoveMargin = 325;     // fixed: the null move is tried only near or above beta
constexpr int VerifyReduction = 1280;   // five plies: a null-move cut-off is rechecked this much shallower
constexpr int StatusIntervalMs = 2000;  // a quiet search still tells the GUI it is alive

// Step 6: a deep enough entry whose bound settles the window answers the node; otherwise its move
// is tried first. Returns whether the node is answered (with `score`).
bool tableAnswers(SearchContext& ctx, int ply, int dp, int alpha, int beta, bool pvNode, Move& hashMove,
                  int& score) {
  const TTEntry* e = ctx.tt.probe(ctx.board.hash);
  if (!e || e->bound() == BoundEmpty) return false;
  const Move m = e->bestMove();
  hashMove = m;
  if (e->depth < dp) return false;
  score = scoreFromTable(e->score, ply);
  const Bound bound = e->bound();
  const bool failsHigh = bound == BoundLower && score >= beta;
  if (!failsHigh && bound != BoundExact && !(bound == BoundUpper && score <= alpha)) return false;
  PlyRecord& row = ctx.pvTable[ply];
  row.current = m;
  if (pvNode) row.pv[ply] = m;
  // A refutation found again is as good as one found now; a null-move cut-off stores no move.
  if (failsHigh && !isNullMove(m) && isQuiet(m)) {
    updateKillers(row, m);
    updateHistory(ctx.historyTable, ctx.board, dp, m);
  }
  return true;
}

// Step 7: endgame tablebases. Only where they pay: positions small enough for the tables found,
// at the root's children under "root", or with enough depth left that the probe saves a search.
bool tablebaseScore(SearchContext& ctx, int ply, int dp, int& score) {
  if (!ctx.tablebases || ctx.tbUsage == 0 || ctx.tbMaxMen <= 2) return false;
  const bool wanted = (ctx.tbUsage == 1 && ply == 1) || (ctx.tbUsage == 2 && dp >= 4);
  if (!wanted || popCount(ctx.board.occupancy()) > ctx.tbMaxMen) return false;
  const int found = probeTablebaseScore(ctx, ply);
  if (found == NoTablebaseScore) return false;
  ++ctx.tbhits;
  score = found;
  return true;
}

// Step 11.5: after two silent seconds print the figures, so the GUI knows the search is alive.
void reportStatus(SearchContext& ctx, uint32_t now) {
  if (int32_t(now - ctx.lastInfoTime) < StatusIntervalMs) return;
  ctx.lastInfoTime = now;
  if (ctx.silent) return;
  const uint32_t time = elapsedMs(ctx, now);
  print("info time %u nodes %lld nps %d hashfull %d\n", time, (long long)ctx.nodes, npsOf(ctx, time),
        ctx.tt.hashfull());
}

// Steps 11.1-11.5, the same for every move of both node kinds. True when the node must unwind.
bool mustUnwind(SearchContext& ctx, PlyRecord& row, Move m, int& quietCount) {
  // 11.1 Late move reductions count the non-capturing moves (promotions included).
  if (!(m.flags & (MoveCapture | MoveCastle))) ++quietCount;
  // 11.2 The move in progress at this ply.
  row.current = m;
  // 11.3 A stop unwinds the search without storing.
  if (ctx.stopSearch) return true;
  // 11.4 The clock and the node budget.
  const uint32_t now = readClock();
  if (limitReachedAt(ctx, now)) return true;
  // 11.5 The periodic status line.
  reportStatus(ctx, now);
  return false;
}

// The side to move has a piece besides king and pawns; without one, zugzwang makes passing unsound.
bool hasPieces(const Board& b, int colour) {
  return b.pieces(Knight, colour) | b.pieces(Bishop, colour) | b.pieces(Rook, colour) |
         b.pieces(Queen, colour);
}

// A quiet move by a passed pawn is never pruned: its value is in where it is going.
bool passedPawnMove(const Board& b, Move m) {
  return mailboxPiece(b.mailbox[m.from]) == Pawn && isPassedPawn(b, b.turn(), m.from);
}

// After the move: did the side that moved put a passed pawn on the target square?
bool leftPassedPawn(const Board& b, Move m) {
  const int mover = b.turn() ^ 1;
  return mailboxPiece(b.mailbox[m.to]) == Pawn && isPassedPawn(b, mover, m.to);
}

// Step 11.9: late quiet moves are searched shallower first; a good result earns the full depth.
bool reducible(const Board& b, Move m, const PlyRecord& row, int dp, int quietCount, int lmrMoves,
               bool extended, bool inCheck) {
  return !extended && dp >= 3 && quietCount >= lmrMoves && !inCheck && isQuiet(m) && !leftPassedPawn(b, m) &&
         !isKillerMove(row, m);
}

int reduction(int quietCount, int lmrMoves) { return quietCount < 2 * lmrMoves ? OnePly : 2 * OnePly; }

}  // namespace

int searchNonPV(SearchContext& ctx, int depth, int ply, int alpha, bool nullAllowed) {
  assert(ply >= 0 && ply <= MaxPly);
  assert(alpha >= -MateValue && alpha < MateValue);
  // 1. Out of depth, or too deep for the rows: resolve the captures only.
  if (ply >= MaxPly || depth <= 0) return quiesce(ctx, 0, ply, alpha, alpha + 1);
  Board& b = ctx.board;
  PlyRecord& row = ctx.pvTable[ply];
  const int dp = wholePlies(depth);
  const int origAlpha = alpha;
  int beta = alpha + 1;

  // 2. This node's row starts empty; count it.
  enterNode(ctx, ply);
  // 3. Fifty moves or material that cannot mate: a draw whatever is played.
  if (isDrawByRule(b)) return DrawScore;
  // 4. A position seen before on this line is a draw (one repetition suffices inside the tree).
  if (ply >= 1 && isRepetition(ctx.history, b)) return DrawScore;
  // 5. No score here can beat a mate found nearer the root.
  alpha = std::max(alpha, matedIn(ply));
  beta = std::min(beta, mateIn(ply + 1));
  if (alpha >= beta) return alpha;
  // 6. The transposition table may answer the node, or at least name the move to try first.
  Move hashMove{};
  int score;
  if (tableAnswers(ctx, ply, dp, alpha, beta, false, hashMove, score)) return score;
  // 7. A tablebase score is exact: it answers a zero-window node.
  if (tablebaseScore(ctx, ply, dp, score)) return score;

  const bool inCheck = b.inCheck();
  const int estimate = inCheck ? 0 : quickEval(b);
  bool mateThreat = false;
  if (!inCheck) {
    // 8. Razoring: far below beta near the leaves, only a capture could help; ask quiesce.
    if (dp <= 3 && std::abs(beta) < TableMateBound && estimate + param::RazorMarginCP < beta) {
      const int q = quiesce(ctx, 0, ply, alpha, beta);
      if (q < beta) return q;
    }
    // 9. Null move: if passing still holds beta, a real move surely would.
    if (nullAllowed && dp >= 2 && estimate >= beta - NullMoveMargin && b.mat.tmat != 0 &&
        hasPieces(b, b.turn())) {
      // 9.1 Pass; the key goes onto the history as irreversible, so no repetition spans the pass.
      UndoInfo undo;
      const uint32_t mask = makeNullMove(b, undo);
      prefetchChild(ctx, b.hash);
      historyPush(ctx.history, b.hash, true);
      // 9.2 Deeper nodes are cut harder.
      const int r = dp > 6 ? 4 : 3;
      const int nullScore = -searchNonPV(ctx, OnePly * (dp - r - 1), ply + 1, -beta, false);
      // 9.3 Take the pass back.
      historyPop(ctx.history);
      unmakeMove(b, mask, undo);
      // An interrupted pass proves nothing and must leave no trace in the table.
      if (ctx.stopSearch) return alpha;
      if (nullScore < beta) {
        // 9.4 Mated at once after a pass: the opponent threatens mate, so search the defences deeper.
        if (nullScore == matedIn(ply + 2)) mateThreat = true;
      } else {
        // 9.5 Deep cut-offs are verified at reduced depth, against zugzwang.
        const bool holds =
            dp <= 5 || searchNonPV(ctx, OnePly * dp - VerifyReduction, ply, alpha, false) >= beta;
        if (holds) {
          ctx.tt.store(b.hash, ply, dp, BoundLower, nullScore, Move{});
          return nullScore;
        }
      }
    }
  }

  // 10. Moves come staged from the picker: hash move, mate killer, captures, killers, the rest.
  MovePicker picker(b, ply, hashMove, PickerMode::Main, row, ctx.historyTable);
  picker.fetchChildrenFrom(ctx.tt);
  const Bitboard candidates = discoveredCheckCandidates(b);
  const int lmrMoves = param::LMRMovesNonPV;
  // 11. Search the moves until one reaches beta.
  int best = NoScore, quietCount = 0;
  bool anyMove = false;
  Move cutMove{}, m;
  while (picker.next(m)) {
    anyMove = true;
    // 11.1-11.5 Count and record the move; unwind on a stop or a spent limit.
    if (mustUnwind(ctx, row, m, quietCount)) return alpha;
    // 11.6 Extensions.
    const bool checks = givesCheck(b, m, candidates);
    const int child = childDepth(b, m, depth, checks, mateThreat);
    const bool extended = child > depth - OnePly;
    // 11.7 Futility: near the leaves a quiet move cannot lift a hopeless estimate to beta.
    if (dp <= 4 && !extended && !inCheck && std::abs(alpha) < TableMateBound && isQuiet(m) &&
        !passedPawnMove(b, m)) {
      const int futile = estimate + futilityMargins[dp];
      if (futile < beta) {
        best = std::max(best, futile);
        if (!moveEqual(m, hashMove) && !isKillerMove(row, m)) continue;
      }
    }
    // 11.8 Play it, fetching the child's table entry meanwhile; a capture or pawn move starts a
    // new repetition span.
    UndoInfo undo;
    const uint32_t mask = makeMove(b, m, undo, checks ? 1 : 0);
    prefetchChild(ctx, b.hash);
    historyPush(ctx.history, b.hash, b.st.fiftyCounter == 0);
    // 11.9 Late quiet moves are tried shallower first.
    score = alpha + 1;
    if (reducible(b, m, row, dp, quietCount, lmrMoves, extended, inCheck))
      score = -searchNonPV(ctx, child - reduction(quietCount, lmrMoves), ply + 1, -alpha - 1, true);
    // 11.10 At full depth when unreduced, or when the reduced search did not fail low.
    if (score > alpha) score = -searchNonPV(ctx, child, ply + 1, -alpha - 1, true);
    // 11.11 Take it back.
    historyPop(ctx.history);
    unmakeMove(b, mask, undo);
    // 11.12 The child was interrupted: its score means nothing.
    if (ctx.stopSearch) return alpha;
    // 11.13 Keep the best; in a zero window anything above alpha is a cut-off.
    if (score > best) {
      best = score;
      if (score > alpha) {
        alpha = score;
        row.pv[ply] = m;
        if (score == mateIn(ply + 1)) row.mateKiller = m;
        if (score >= beta) {
          cutMove = m;
          break;
        }
      }
    }
  }
  // 10 (cont.). Nothing to play: mated, or stalemate.
  if (!anyMove) return inCheck ? matedIn(ply) : DrawScore;

  // 12. A quiet refutation is worth trying first in sibling positions.
  if (!isNullMove(cutMove) && isQuiet(cutMove)) {
    updateKillers(row, cutMove);
    updateHistory(ctx.historyTable, b, dp, cutMove);
  }
  // 13. Remember the bound this window proved.
  ctx.tt.store(b.hash, ply, dp, best > origAlpha ? BoundLower : BoundUpper, best, row.pv[ply]);
  // 14. Fail-soft: the best score, wherever it lies.
  return best;
}

int searchPV(SearchContext& ctx, int depth, int ply, int alpha, int beta) {
  assert(ply >= 0 && ply <= MaxPly);
  assert(-MateValue <= alpha && alpha < beta && beta <= MateValue);
  // 1. Out of depth, or too deep for the rows: resolve the captures only.
  if (ply >= MaxPly || depth <= 0) return quiesce(ctx, 0, ply, alpha, beta);
  Board& b = ctx.board;
  PlyRecord& row = ctx.pvTable[ply];
  const int dp = wholePlies(depth);
  const int origAlpha = alpha;

  // 2. This node's row starts empty; count it.
  enterNode(ctx, ply);
  // 3. Fifty moves or material that cannot mate: a draw whatever is played.
  if (isDrawByRule(b)) return DrawScore;
  // 4. A position seen before on this line is a draw (one repetition suffices inside the tree).
  if (ply >= 1 && isRepetition(ctx.history, b)) return DrawScore;
  // 5. No score here can beat a mate found nearer the root.
  alpha = std::max(alpha, matedIn(ply));
  beta = std::min(beta, mateIn(ply + 1));
  if (alpha >= beta) return alpha;
  // 6. The transposition table may answer the node, or at least name the move to try first.
  Move hashMove{};
  int score;
  if (tableAnswers(ctx, ply, dp, alpha, beta, true, hashMove, score)) return score;
  // 7. A tablebase score is exact, but the PV still wants its moves: narrow the window around it.
  int tableScore = 0;  // read only when the probe answered, but never left undefined
  const bool tableKnown = tablebaseScore(ctx, ply, dp, tableScore);
  if (tableKnown) {
    alpha = std::max(alpha, tableScore - 1);
    beta = std::min(beta, tableScore + 1);
    if (alpha >= beta) return tableScore;  // the known score lies outside the window already
  }
  // 8-9. Internal iterative deepening (a PV node neither razors nor passes): without a hash move a
  // search two plies shallower finds one to try first.
  if (isNullMove(hashMove) && dp >= 3) {
    searchPV(ctx, depth - 2 * OnePly, ply, alpha, beta);
    hashMove = row.pv[ply];
  }

  // 10. Moves come staged from the picker: hash move, mate killer, captures, killers, the rest.
  const bool inCheck = b.inCheck();
  MovePicker picker(b, ply, hashMove, PickerMode::Main, row, ctx.historyTable);
  picker.fetchChildrenFrom(ctx.tt);
  const Bitboard candidates = discoveredCheckCandidates(b);
  const int lmrMoves = param::LMRMovesPV;
  // 11. Search the moves: the first with the full window, the others against alpha first.
  int best = NoScore, quietCount = 0;
  bool anyMove = false, fullWindowDone = false;
  Move cutMove{}, m;
  while (picker.next(m)) {
    anyMove = true;
    // 11.1-11.5 Count and record the move; unwind on a stop or a spent limit.
    if (mustUnwind(ctx, row, m, quietCount)) return alpha;
    // 11.6 Extensions.
    const bool checks = givesCheck(b, m, candidates);
    const int child = childDepth(b, m, depth, checks, false);
    const bool extended = child > depth - OnePly;
    // 11.8 Play it, fetching the child's table entry meanwhile; a capture or pawn move starts a
    // new repetition span.
    UndoInfo undo;
    const uint32_t mask = makeMove(b, m, undo, checks ? 1 : 0);
    prefetchChild(ctx, b.hash);
    historyPush(ctx.history, b.hash, b.st.fiftyCounter == 0);
    // 11.9 Late quiet moves are tried shallower first.
    score = alpha + 1;
    if (reducible(b, m, row, dp, quietCount, lmrMoves, extended, inCheck))
      score = -searchNonPV(ctx, child - reduction(quietCount, lmrMoves), ply + 1, -alpha - 1, true);
    // 11.10 Principal-variation search: after the first full window, prove a move beats alpha with a
    // zero window before paying for the full one.
    if (score > alpha) {
      if (fullWindowDone) {
        score = -searchNonPV(ctx, child, ply + 1, -alpha - 1, true);
        if (score > alpha) score = -searchPV(ctx, child, ply + 1, -beta, -alpha);
      } else {
        score = -searchPV(ctx, child, ply + 1, -beta, -alpha);
      }
      fullWindowDone = true;
    }
    // 11.11 Take it back.
    historyPop(ctx.history);
    unmakeMove(b, mask, undo);
    // 11.12 The child was interrupted: its score means nothing.
    if (ctx.stopSearch) return alpha;
    // 11.13 Keep the best, and the line that proves it.
    if (score > best) {
      best = score;
      if (score > alpha) {
        alpha = score;
        row.pv[ply] = m;
        copyChildLine(ctx, ply);
        if (score == mateIn(ply + 1)) row.mateKiller = m;
        if (score >= beta) {
          cutMove = m;
          break;
        }
      }
    }
  }
  // 10 (cont.). Nothing to play: mated, or stalemate.
  if (!anyMove) return inCheck ? matedIn(ply) : DrawScore;

  // 12. A quiet refutation is worth trying first in sibling positions.
  if (!isNullMove(cutMove) && isQuiet(cutMove)) {
    updateKillers(row, cutMove);
    updateHistory(ctx.historyTable, b, dp, cutMove);
  }
  // 13. Remember what this window proved: an upper bound, the exact score, or a lower bound. A
  // tablebase score stands whatever the moves' search found: below the probing depth that search
  // cannot see the mate, and its verdict would put a wrong bound in the table.
  Bound bound = best <= origAlpha ? BoundUpper : best < beta ? BoundExact : BoundLower;
  if (tableKnown) best = tableScore, bound = BoundExact;
  ctx.tt.store(b.hash, ply, dp, bound, best, row.pv[ply]);
  // 14. Fail-soft: the best score, wherever it lies.
  return best;
}
