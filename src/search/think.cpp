#include "search/think.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <thread>

#include "board/makemove.h"
#include "board/movegen.h"
#include "board/movetext.h"
#include "platform/console.h"
#include "search/clock.h"
#include "search/move_picker.h"
#include "search/score.h"
#include "search/search.h"

namespace {

constexpr uint32_t NoTimeLimit = 1073741823;  // about twelve days
constexpr int AspirationWindow = 15;

// Moves root entry `from` to index `to` (to <= from), shifting the entries between down by one.
void moveRootEntry(SearchContext& ctx, int from, int to) {
  std::rotate(ctx.rootMoves + to, ctx.rootMoves + from, ctx.rootMoves + from + 1);
  std::rotate(ctx.rootScores + to, ctx.rootScores + from, ctx.rootScores + from + 1);
  std::rotate(ctx.rootNodes + to, ctx.rootNodes + from, ctx.rootNodes + from + 1);
}

int rootIndex(const SearchContext& ctx, Move m) {
  if (isNullMove(m)) return -1;
  for (int i = 0; i < ctx.rootCount; ++i)
    if (moveEqual(ctx.rootMoves[i], m)) return i;
  return -1;
}

void resetRootScores(SearchContext& ctx) {
  std::fill(ctx.rootScores, ctx.rootScores + ctx.rootCount, NoScore);
  std::fill(ctx.rootNodes, ctx.rootNodes + ctx.rootCount, 0);
}

// First iteration of a search: killers just behind the winning captures, then the mate killer
// and the hash move in front.
void orderFreshRoot(SearchContext& ctx, Move hashMove) {
  std::fill(ctx.rootNodes, ctx.rootNodes + ctx.rootCount, 0);
  const PlyRecord& row = ctx.pvTable[0];
  for (Move killer : {row.killers[1], row.killers[0]}) {
    const int at = rootIndex(ctx, killer);
    if (at < 0) continue;
    int to = 0;
    for (int j = 0; j < at; ++j) {
      const Move m = ctx.rootMoves[j];
      if (m.promotion == Queen || (m.flags & MoveGoodCapture)) to = j + 1;
    }
    moveRootEntry(ctx, at, to);
  }
  for (Move first : {row.mateKiller, hashMove}) {
    const int at = rootIndex(ctx, first);
    if (at >= 0) moveRootEntry(ctx, at, 0);
  }
}

// Later iterations: by the last scores, then by the effort each move took.
void orderByLastIteration(SearchContext& ctx) {
  auto better = [&](int a, int b) {
    return ctx.rootScores[a] > ctx.rootScores[b] ||
           (ctx.rootScores[a] == ctx.rootScores[b] && ctx.rootNodes[a] > ctx.rootNodes[b]);
  };
  for (int i = 0; i < ctx.rootCount; ++i) {
    for (int j = i + 1; j < ctx.rootCount; ++j) {
      if (!better(j, i)) continue;
      std::swap(ctx.rootMoves[i], ctx.rootMoves[j]);
      std::swap(ctx.rootScores[i], ctx.rootScores[j]);
      std::swap(ctx.rootNodes[i], ctx.rootNodes[j]);
    }
  }
  resetRootScores(ctx);
}

// A root table hit deep enough to answer the whole iteration.
int rootTableCut(SearchContext& ctx, Move move, int score, int reported, int dp, int alpha, int beta) {
  ctx.pvTable[0].current = move;
  ctx.pvTable[0].pv[0] = move;
  resetRootScores(ctx);
  if (const int at = rootIndex(ctx, move); at >= 0) ctx.rootScores[at] = reported;
  if (ctx.allotted == 0 || dp == 1)
    reportPV(ctx, dp, reported, alpha, beta);
  else
    ctx.unprintedCut = {dp, reported, alpha, beta};
  return score;
}

void printCurrentMove(SearchContext& ctx, int dp, Move m, int index) {
  const uint32_t now = tickNow();
  if (ctx.silent || (index != 0 && now - ctx.lastCurrmoveTime < 250)) return;
  const uint32_t time = elapsedMs(ctx, now);
  print("info depth %d currmove %s currmovenumber %d time %u nodes %lld nps %d hashfull %d\n", dp,
        moveToUci(m).c_str(), index + 1, time, (long long)ctx.nodes, npsOf(ctx, time), ctx.tt.hashfull());
  ctx.lastCurrmoveTime = now;
}

// A weakened search's handicap for root move `m`: a bonus drawn from the seed, the position and
// the move, so that among moves within the margin of the best the luckiest is played.
int rootBonus(const SearchContext& ctx, Move m) {
  const Weakening& w = ctx.limits.weakening;
  if (w.marginCp <= 0 || ctx.multiPvCount > 1) return 0;
  uint64_t x = ctx.board.hash ^ (uint64_t{w.seed} << 32) ^ (uint64_t(m.from) << 8 | m.to) ^ uint64_t(m.promotion) << 16;
  x = (x ^ (x >> 33)) * 0xff51afd7ed558ccdULL;
  x = (x ^ (x >> 33)) * 0xc4ceb9fe1a85ec53ULL;
  return int((x ^ (x >> 33)) % uint64_t(w.marginCp + 1));
}

// The deadline may move later when the best move's score drops, but never past what the clock
// allows.
uint32_t extendedDeadline(const SearchContext& ctx) {
  uint32_t deadline = readClock() + ctx.allotted * 3 / 2;
  if (ctx.limits.maxTime > 0) {
    const uint32_t hard = ctx.startTime + uint32_t(ctx.limits.maxTime);
    if (pastDeadline(deadline, hard)) deadline = hard;
  }
  return deadline;
}

}  // namespace

int rootSearch(SearchContext& ctx, int depth, int alpha, int beta) {
  Board& b = ctx.board;
  PlyRecord& row0 = ctx.pvTable[0];
  // 1. The window stays inside the score range; the iteration's figures start afresh.
  if (alpha < -(MateValue - 1)) alpha = NoScore;
  beta = std::min(beta, MateValue);
  const int origAlpha = alpha;
  ctx.seldepth = 0;
  ctx.nodes += 1;
  const int dp = (depth + OnePly - 1) / OnePly;

  // 2. Killers two plies down come from this iteration's siblings only.
  row0.current = Move{};
  ctx.pvTable[2].mateKiller = ctx.pvTable[2].killers[0] = ctx.pvTable[2].killers[1] = Move{};

  // 3. A deep enough table entry answers at once; a shallower one orders the moves. Its move
  // may lie outside a restricted root list, and several lines need every move searched. An
  // entry without a move (a fail-low of the shallower search in step 4, or of an earlier search,
  // left standing because a weakened root stores nothing of its own) would answer with no move.
  Move hashMove{};
  const TTEntry* e = ctx.multiPvCount > 1 || ctx.rootRestricted ? nullptr : ctx.tt.probe(b.hash);
  if (e && e->bound() != BoundEmpty && !isNullMove(e->bestMove())) {
    const Move m = e->bestMove();
    const int score = e->score;
    if (e->depth < dp) {
      hashMove = m;
      if (isNullMove(row0.pv[0])) row0.pv[0] = m;
    } else if (e->bound() == BoundExact) {
      return rootTableCut(ctx, m, score, score, dp, alpha, beta);
    } else if (e->bound() == BoundUpper && score <= alpha) {
      return rootTableCut(ctx, m, score, alpha, dp, alpha, beta);
    } else if (e->bound() == BoundLower && score >= beta) {
      if (isQuiet(m) && !isNullMove(m)) {
        updateKillers(row0, m);
        updateHistory(ctx.historyTable, b, dp, m);
      }
      return rootTableCut(ctx, m, score, beta, dp, alpha, beta);
    } else {
      hashMove = m;
    }
  }

  // 4. Without a hash move a shallower search finds one. Should it fail low, it finds none and
  // leaves no line: the last iteration's line stays, or a root whose every move fails low has no
  // move to show or play (a weakened root, which stores no entry of its own, meets this often).
  if (isNullMove(hashMove) && dp > 2) {
    Move kept[PvColumns];
    std::copy(std::begin(row0.pv), std::end(row0.pv), kept);
    searchPV(ctx, depth - 2 * OnePly, 0, alpha, beta);
    hashMove = row0.pv[0];
    if (isNullMove(hashMove)) std::copy(std::begin(kept), std::end(kept), row0.pv);
  }

  // 5. No legal move: mated or stalemated.
  if (ctx.rootCount == 0) return b.st.check ? NoScore : DrawScore;

  // 6. Order the root moves.
  const bool fresh = std::all_of(ctx.rootScores, ctx.rootScores + ctx.rootCount, [](int s) { return s == NoScore; });
  if (fresh)
    orderFreshRoot(ctx, hashMove);
  else
    orderByLastIteration(ctx);

  // 7. Search every root move. Each depth shows its own lines: the weakest line of the last
  // depth is no bar to entering this one's.
  int best = NoScore, bestSearched = NoScore;
  ctx.multiPvAlpha = NoScore;
  const Bitboard candidates = discoveredCheckCandidates(b);
  const uint32_t savedDeadline = ctx.deadline;
  bool extended = false;
  for (int i = 0; i < ctx.rootCount; ++i) {
    const Move m = ctx.rootMoves[i];
    // 8.1 In MultiPV mode each move must beat the weakest line shown, not the best.
    row0.current = m;
    if (ctx.multiPvCount > 1) alpha = best = ctx.multiPvAlpha;
    // 8.2-8.3 A stop or a spent limit ends the iteration.
    if (ctx.stopSearch) return alpha;
    if (limitReached(ctx)) return alpha;
    // 8.4 Let the GUI show what is being searched.
    printCurrentMove(ctx, dp, m, i);
    // 8.5 Extensions.
    const bool checks = givesCheck(b, m, candidates);
    const int child = childDepth(b, m, depth, checks, false);
    // 8.6-8.8 Principal-variation search of the move; a weakened search lowers the window by
    // the move's bonus and adds the bonus to what the move scores, mates excepted.
    const int bonus = rootBonus(ctx, m);
    const int low = std::max(alpha - bonus, NoScore), high = std::max(beta - bonus, low + 1);
    const uint64_t nodesBefore = ctx.nodes;
    UndoInfo undo;
    const uint32_t mask = makeMove(b, m, undo, checks);
    historyPush(ctx.history, b.hash, b.st.fiftyCounter == 0);
    int score = low + 1;
    if (i >= ctx.multiPvCount) score = -searchNonPV(ctx, child, 1, -low - 1, true);
    if (i < ctx.multiPvCount || score > low) score = -searchPV(ctx, child, 1, -high, -low);
    historyPop(ctx.history);
    unmakeMove(b, mask, undo);
    ctx.rootNodes[i] = ctx.nodes - nodesBefore;
    // 8.9 An interrupted move proves nothing.
    if (ctx.stopSearch) return alpha;
    const int searched = score;
    if (!isTableMate(score)) score = std::min(score + bonus, ReportedMateBound - 1);
    // 8.10 A new best move.
    if (score <= best) continue;
    best = score;
    bestSearched = searched;
    if (score <= alpha) continue;
    row0.pv[0] = m;
    const Move* below = ctx.pvTable[1].pv;
    for (int col = 1; col < PvColumns; ++col) {
      row0.pv[col] = below[col];
      if (isNullMove(below[col])) break;
    }
    reportPV(ctx, dp, searched, origAlpha - bonus, beta - bonus);
    alpha = score;
    ctx.rootScores[i] = score;
    bool outOfTime = false;
    if (!ctx.lastMoveBeforeControl) {
      // A falling score buys time to find something better; recovering gives it back.
      if (!extended && ctx.allotted != 0 && ctx.prevScore != NoScore && score <= ctx.prevScore - 30) {
        extended = true;
        ctx.deadline = extendedDeadline(ctx);
      } else if (extended && score >= ctx.prevScore - 10) {
        ctx.deadline = savedDeadline;
        outOfTime = pastDeadline(readClock(), ctx.deadline);
      }
    }
    if (score == mateIn(1)) row0.mateKiller = m;
    if (score >= beta) {
      if (isQuiet(m)) {
        updateKillers(row0, m);
        updateHistory(ctx.historyTable, b, dp, m);
      }
      break;
    }
    if (outOfTime) break;
  }

  // 9. Finish the iteration.
  if (ctx.multiPvCount > 1) {
    const MultiPvSlot& top = ctx.slots[ctx.slotOrder[0]];
    row0.pv[0] = top.firstMove;
    row0.pv[1] = top.ponderMove;
    best = bestSearched = top.score;
  }
  if (best <= origAlpha) reportPV(ctx, dp, bestSearched, origAlpha - (best - bestSearched), beta);
  // The root's result holds for the listed moves only; stored, it would speak for all of them.
  // A weakened root's scores carry the bonuses: they are no position's value.
  if (!isNullMove(row0.pv[0]) && !ctx.rootRestricted && ctx.limits.weakening.marginCp == 0) {
    const Bound bound = best <= origAlpha ? BoundUpper : best < beta ? BoundExact : BoundLower;
    ctx.tt.store(b.hash, 0, dp, bound, best, row0.pv[0]);
  }
  if (extended) {
    ctx.deadline = savedDeadline;
    if (pastDeadline(readClock(), ctx.deadline) && !ctx.pondering) ctx.stopSearch = true;
  }
  if (isNullMove(row0.pv[0]) && !ctx.silent) print("FATAL ERROR: no pv move! stopSearch = %d\n", ctx.stopSearch ? 1 : 0);
  return best;
}

namespace {

// Prepares the context for a new search.
void prepareSearch(SearchContext& ctx, const SearchLimits& limits) {
  resetClockCountdown();
  ctx.startTime = ctx.lastInfoTime = ctx.lastCurrmoveTime = limits.startTick.value_or(tickNow());
  ctx.stopSearch = false;
  // A negative time is no time at all, not an endless search.
  ctx.allotted = limits.moveTime < 0 ? 1 : uint32_t(limits.moveTime);
  ctx.lastMoveBeforeControl = limits.lastMoveBeforeControl;
  ctx.multiPvCount = std::clamp<int>(limits.multiPv, 1, MaxMultiPv);
  for (int i = 0; i < ctx.multiPvCount; ++i) {
    ctx.slots[i] = MultiPvSlot{};
    ctx.slotOrder[i] = i;
  }
  ctx.multiPvAlpha = NoScore;
  ctx.printedDepth = 0;
  ctx.unprintedCut = {};
  // `pondering` was set by the search thread when it took the search, so a "ponderhit" that
  // arrives before this point is not lost.
  ctx.limits = limits;
  if (ctx.evaluator) {
    // A chosen strength errs the same way each time in the same position.
    const Weakening& w = limits.weakening;
    ctx.evaluator->levelNoise = w.on ? w.noiseCp : -1;
    if (w.on) ctx.evaluator->seedNoise(w.seed ^ uint32_t(ctx.board.hash) ^ uint32_t(ctx.board.hash >> 32));
  }
  ctx.tt.newSearch();
  ctx.nodes = ctx.tbhits = 0;
  ctx.nodeBudget = 0;
  ctx.seldepth = 0;

  // The root moves, kept to "searchmoves" when it names any legal move.
  Move generated[MaxMoves];
  const int n = generateMoves(ctx.board, generated);
  ctx.rootCount = 0;
  for (int i = 0; i < n; ++i) {
    const Move m = generated[i];
    const bool wanted = std::any_of(limits.searchMoves.begin(), limits.searchMoves.end(),
                                    [&](Move s) { return moveEqual(s, m); });
    if (wanted) ctx.rootMoves[ctx.rootCount++] = m;
  }
  if (ctx.rootCount == 0) {
    std::copy(generated, generated + n, ctx.rootMoves);
    ctx.rootCount = n;
  }
  resetRootScores(ctx);
  std::memset(ctx.historyTable, 0, sizeof ctx.historyTable);
  std::memset(static_cast<void*>(ctx.pvTable), 0, sizeof ctx.pvTable);
  ctx.prevScore = NoScore;
  // Below the root every result holds whatever the list; only the root's own is kept out of the
  // table, which is cheaper than clearing it while the clock runs.
  ctx.rootRestricted = ctx.rootCount != n;
}

// One iteration with an aspiration window around the last score; false when stopped.
bool iterate(SearchContext& ctx, int d, bool haveScore, int& score) {
  const int depth = d * OnePly;
  if (ctx.multiPvCount != 1 || d < 2 || !haveScore) {
    score = rootSearch(ctx, depth, NoScore, MateValue);
    return !ctx.stopSearch;
  }
  const int prev = ctx.prevScore;
  int alpha = prev - AspirationWindow, beta = prev + AspirationWindow, delta = AspirationWindow;
  if (std::abs(prev) >= TableMateBound) alpha = NoScore, beta = MateValue;
  int lastAlpha = 0, lastBeta = 0;
  bool first = true;
  for (;;) {
    alpha = std::max(alpha, NoScore);
    beta = std::min(beta, MateValue);
    if ((!first && alpha == lastAlpha && beta == lastBeta) || alpha == beta) alpha = NoScore, beta = MateValue;
    first = false;
    lastAlpha = alpha;
    lastBeta = beta;
    score = rootSearch(ctx, depth, alpha, beta);
    if (ctx.stopSearch) return false;
    if ((score > alpha && score < beta) || (alpha == NoScore && beta == MateValue)) return true;
    if (score >= beta)
      beta = score + 2 * delta;
    else
      alpha = score - 2 * delta;
    delta *= 2;
  }
}

}  // namespace

Move think(SearchContext& ctx, const SearchLimits& limits) {
  // 1-9. A clean start: clock, slots, limits, table generation, root list, tables.
  prepareSearch(ctx, limits);
  const uint32_t realDeadline = ctx.startTime + (ctx.allotted ? ctx.allotted : NoTimeLimit);
  const int depthLimit = limits.depth < 0 ? 1 : limits.depth;
  const int64_t nodeLimit = std::max(limits.nodes, 0);

  // 10. Deepen one ply at a time.
  uint32_t lastDuration = 0;
  bool haveScore = false;
  // The clock binds from the first node on; should it stop the first iteration early, a root move
  // is played all the same.
  ctx.deadline = realDeadline;
  Move completedBest{}, completedPonder{};
  int completedDepth = 0;
  for (int d = 1; d <= depthLimit; ++d) {
    const uint32_t iterStart = tickNow();
    if (d >= 2) {
      // Start another iteration only when twice the last one's time is left.
      const int perMove = int(lastDuration) / std::max(ctx.rootCount, 1);
      const int left = int(ctx.allotted) - int(iterStart - ctx.startTime);
      if (ctx.allotted != 0 && !limits.ponder && perMove * 2 * std::max(ctx.rootCount, 1) > left) break;
      ctx.nodeBudget = nodeLimit;
    } else {
      // A node limit never cuts the first iteration short.
      ctx.nodeBudget = 0;
    }
    int score;
    if (!iterate(ctx, d, haveScore, score)) break;
    haveScore = true;
    completedDepth = d;
    ctx.prevScore = score;
    completedBest = ctx.pvTable[0].pv[0];
    completedPonder = ctx.pvTable[0].pv[1];
    if (limits.mate > 0 && score >= ReportedMateBound && limits.mate == (MateValue - score) / 2 + 1) break;
    lastDuration = tickNow() - iterStart;
  }

  // 11. The deepest completed iteration, answered by the table, printed no line: print it now,
  // or the GUI records the move at the depth of the last line it saw.
  const SearchContext::UnprintedCut cut = ctx.unprintedCut;
  if (completedDepth > ctx.printedDepth && cut.dp == completedDepth)
    reportPV(ctx, cut.dp, cut.score, cut.alpha, cut.beta);

  // 12-13. The final line, the closing figures and the move to play.
  rebuildPV(ctx);
  const uint32_t time = elapsedMs(ctx, tickNow());
  if (!ctx.silent)
    print("info time %u nodes %lld nps %d hashfull %d\n", time, (long long)ctx.nodes, npsOf(ctx, time),
         ctx.tt.hashfull());
  Move best = ctx.pvTable[0].pv[0], ponder = ctx.pvTable[0].pv[1];
  if (ctx.multiPvCount > 1 && !isNullMove(completedBest)) {
    // A stopped iteration leaves its lines half renewed; the move to play is the top line of the
    // deepest depth that was searched through.
    best = completedBest;
    ponder = completedPonder;
  }
  if (rootIndex(ctx, best) < 0 && ctx.rootCount > 0) {
    // Stopped before any move was proven best (or the table offered one outside a restricted
    // list): the first root move, the hash move when there is one, beats none.
    best = ctx.rootMoves[0];
    ponder = Move{};
  }
  // 14. A pondering search keeps its move until the opponent's move is known, an infinite one
  // until the GUI asks for it. A node or depth limit ends the work, not the wait: only "stop" does.
  while ((ctx.pondering || limits.infinite) && !ctx.stopRequested)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  // 15. The answer.
  if (ctx.silent)
    ;
  else if (isNullMove(best))
    print("bestmove 0000\n");
  else if (!isNullMove(ponder))
    print("bestmove %s ponder %s\n", moveToUci(best).c_str(), moveToUci(ponder).c_str());
  else
    print("bestmove %s\n", moveToUci(best).c_str());
  return best;
}
