#include <cstdio>
#include <string>

#include "board/makemove.h"
#include "board/movegen.h"
#include "board/movetext.h"
#include "platform/console.h"
#include "search/clock.h"
#include "search/move_picker.h"
#include "search/score.h"
#include "search/think.h"

uint32_t elapsedMs(const SearchContext& ctx, uint32_t now) { return now - ctx.startTime; }

int npsOf(const SearchContext& ctx, uint32_t elapsed) {
  return elapsed ? int(1000.0 / double(elapsed) * double(ctx.nodes)) : 0;
}

namespace {

bool playIfLegal(Board& b, Move m) {
  Move moves[MaxMoves];
  const int n = generateMoves(b, moves);
  for (int i = 0; i < n; ++i) {
    if (moveEqual(moves[i], m)) {
      doMove(b, moves[i]);
      return true;
    }
  }
  return false;
}

}  // namespace

std::string rebuildPV(SearchContext& ctx) {
  Move* line = ctx.pvTable[0].pv;
  // 1. Follow the searched line while it holds.
  Board b = ctx.board;
  int col = 0;
  for (; col < PvColumns && !isNullMove(line[col]) && isMoveValid(b, line[col], pinnedPieces(b)); ++col)
    doMove(b, line[col]);
  // 2. Continue it from the table, so the line shows what the search knows beyond its horizon.
  for (; col < PvColumns; ++col) {
    const TTEntry* e = ctx.tt.probe(b.hash);
    if (!e || e->bound() == BoundEmpty) break;
    const Move m = e->bestMove();
    if (isNullMove(m) || !isMoveValid(b, m, pinnedPieces(b))) break;
    line[col] = m;
    doMove(b, m);
  }
  if (col < PvColumns) line[col] = Move{};
  // 3. Check every move against the legal moves and stop at a repeated position.
  std::string text;
  b = ctx.board;
  uint64_t keys[PvColumns + 1];
  keys[0] = b.hash;
  for (col = 0; col < PvColumns && !isNullMove(line[col]); ++col) {
    if (!playIfLegal(b, line[col])) {
      line[col] = Move{};
      break;
    }
    if (col) text += ' ';
    text += moveToUci(line[col]);
    keys[col + 1] = b.hash;
    bool repeated = false;
    for (int back = col - 1; back >= 0 && !repeated; back -= 2) repeated = keys[back] == b.hash;
    if (repeated) break;
  }
  return text;
}

namespace {

const char* boundText(int score, int alpha, int beta) {
  if (score >= beta) return " lowerbound ";
  if (score <= alpha) return " upperbound ";
  return " ";
}

struct LineFigures {
  int depth, seldepth, score;
  uint32_t time;
  uint64_t nodes;
  int nps, hashfull;
  const std::string& pv;
};

void printLine(const SearchContext& ctx, const char* prefix, const LineFigures& f, int alpha, int beta) {
  if (ctx.silent) return;
  const char* bound = boundText(f.score, alpha, beta);
  const long long nodes = (long long)f.nodes, tbhits = (long long)ctx.tbhits;
  const bool mate = isReportedMate(f.score);
  const int value = mate ? mateMoves(f.score) : f.score;
  const char* kind = mate ? "mate" : "cp";
  if (f.seldepth > f.depth)
    print("info %sdepth %d seldepth %d score %s %d%stime %u nodes %lld nps %d hashfull %d tbhits %lld pv %s\n",
          prefix, f.depth, f.seldepth, kind, value, bound, f.time, nodes, f.nps, f.hashfull, tbhits, f.pv.c_str());
  else
    print("info %sdepth %d score %s %d%stime %u nodes %lld nps %d hashfull %d tbhits %lld pv %s\n", prefix,
          f.depth, kind, value, bound, f.time, nodes, f.nps, f.hashfull, tbhits, f.pv.c_str());
}

// The slot a new best line goes into: the one already holding its first move, else the weakest
// of a shallower depth, else an empty one.
int chooseSlot(const SearchContext& ctx, Move best, int dp, int score) {
  int candidate = -1;
  for (int i = 0; i < ctx.multiPvCount; ++i) {
    const MultiPvSlot& s = ctx.slots[i];
    if (moveEqual(s.firstMove, best) && !isNullMove(s.firstMove)) return i;
    if (isNullMove(s.firstMove)) {
      if (candidate < 0) return i;
      break;
    }
    if (s.depth < dp && (candidate < 0 || s.score < ctx.slots[candidate].score)) candidate = i;
  }
  if (candidate >= 0) return candidate;
  int keptDepth = PvColumns, keptScore = MateValue;
  for (int i = 0; i < ctx.multiPvCount && !isNullMove(ctx.slots[i].firstMove); ++i) {
    const MultiPvSlot& s = ctx.slots[i];
    if ((s.depth < dp || s.score < score) && (s.depth < keptDepth || s.score < keptScore)) {
      candidate = i;
      keptDepth = s.depth;
      keptScore = s.score;
    }
  }
  return candidate;
}

void reportMultiPv(SearchContext& ctx, int dp, int score, int alpha, int beta, const std::string& pv, uint32_t time,
                   int nps, int hashfull) {
  const Move* line = ctx.pvTable[0].pv;
  const int slot = chooseSlot(ctx, line[0], dp, score);
  if (slot < 0) return;
  ctx.slots[slot] = MultiPvSlot{line[0], line[1], score, dp, ctx.seldepth, ctx.nodes, nps, hashfull, int32_t(time), pv};
  // Deeper and better lines first.
  int* order = ctx.slotOrder;
  auto filled = [&](int k) { return !isNullMove(ctx.slots[order[k]].firstMove); };
  for (int i = 0; i < ctx.multiPvCount && filled(i); ++i) {
    for (int j = i + 1; j < ctx.multiPvCount && filled(j); ++j) {
      const MultiPvSlot &a = ctx.slots[order[i]], &b = ctx.slots[order[j]];
      if (a.depth < b.depth || a.score < b.score) std::swap(order[i], order[j]);
    }
  }
  int atDepth = 0, lowest = MateValue;
  for (int i = 0; i < ctx.multiPvCount; ++i) {
    const MultiPvSlot& s = ctx.slots[i];
    if (isNullMove(s.firstMove) || s.depth != dp) continue;
    ++atDepth;
    lowest = std::min(lowest, int(s.score));
  }
  ctx.multiPvAlpha = atDepth >= ctx.multiPvCount ? lowest : NoScore;
  if (dp <= 1) return;
  for (int k = 0; k < ctx.multiPvCount && filled(k); ++k) {
    const MultiPvSlot& s = ctx.slots[order[k]];
    char prefix[24];
    std::snprintf(prefix, sizeof prefix, "multipv %d ", k + 1);
    printLine(ctx, prefix, {s.depth, s.seldepth, s.score, uint32_t(s.time), s.nodes, s.nps, s.hashfull, s.pv}, alpha,
              beta);
  }
}

}  // namespace

void reportPV(SearchContext& ctx, int dp, int score, int alpha, int beta) {
  const std::string pv = rebuildPV(ctx);
  const uint32_t now = tickNow();
  const uint32_t time = elapsedMs(ctx, now);
  const int nps = npsOf(ctx, time), hashfull = ctx.tt.hashfull();
  ctx.lastInfoTime = now;
  if (ctx.multiPvCount == 1 || dp > 1) ctx.printedDepth = std::max(ctx.printedDepth, dp);
  if (ctx.multiPvCount == 1)
    printLine(ctx, "", {dp, ctx.seldepth, score, time, ctx.nodes, nps, hashfull, pv}, alpha, beta);
  else
    reportMultiPv(ctx, dp, score, alpha, beta, pv, time, nps, hashfull);
}
