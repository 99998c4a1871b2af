#include "frontend/go_command.h"

#include <algorithm>
#include <cstdio>

#include "board/chess960.h"
#include "board/movegen.h"
#include "board/movetext.h"
#include "board/refgen.h"
#include "book/book.h"
#include "frontend/tokens.h"
#include "platform/console.h"
#include "search/clock.h"

namespace {

int32_t numberOf(const std::string& token) {
  return int32_t(std::clamp<int64_t>(leadingNumber(token), INT32_MIN, INT32_MAX));
}

// Appends the legal move a "searchmoves" token names; reports a bad one and goes on.
void addSearchMove(const SearchContext& g, const std::string& token, std::vector<Move>& out) {
  Move moves[MaxMoves];
  RefMove refs[MaxRefMoves];
  if (generateMoves(g.board, moves) != generateMovesOld(g.old, g.oldSide, refs))
    print("FATAL ERROR: new_movegen_bug!\n");
  UciMove um;
  if (!parseUciMove(token, um)) return;
  Move move;
  if (findLegalMove(g.board, um, move))
    out.push_back(move);
  else
    print("FATAL ERROR: invalid move passed by gui: %s\n", uciMoveText(um).c_str());
}

// The opening book answers a timed "go" without a search: one of the book's moves for the
// reference board's position, among that board's legal moves.
bool bookMove(const SearchContext& g, PackedMove& move) {
  RefMove moves[MaxRefMoves];
  const int n = generateMovesOld(g.old, g.oldSide, moves);
  const int index = probeBook(engineBook(), g.old.hash, moves, n);
  if (index < 0) return false;
  move = moves[index].packed;
  return true;
}

}  // namespace

GoRequest parseGo(const std::vector<std::string>& t, int multiPv) {
  GoRequest r;
  r.limits.multiPv = uint16_t(multiPv);
  GoClock& c = r.clock;
  bool searchMovesSeen = false;
  auto clearClocks = [&c] {
    c.wtime = c.btime = c.winc = c.binc = 0;
    c.given = false;
  };
  for (size_t i = 1; i < t.size(); ++i) {
    const std::string& w = t[i];
    const bool hasNumber = i + 1 < t.size();
    // A numeric keyword at the end of the line is skipped alone.
    auto readInto = [&](int32_t& field) {
      if (hasNumber) field = numberOf(t[++i]);
    };
    if (w == "ponder") {
      r.ponderRequested = true;
    } else if (w == "movestogo") {
      readInto(c.movesToGo);
    } else if (w == "wtime") {
      c.given |= hasNumber;
      readInto(c.wtime);
    } else if (w == "btime") {
      c.given |= hasNumber;
      readInto(c.btime);
    } else if (w == "winc") {
      readInto(c.winc);
    } else if (w == "binc") {
      readInto(c.binc);
    } else if (w == "mate") {
      readInto(r.limits.mate);
    } else if (w == "nodes") {
      readInto(r.limits.nodes);
    } else if (w == "depth") {
      readInto(r.limits.depth);
    } else if (w == "infinite") {
      r.limits.moveTime = 0;
      r.limits.infinite = true;
      clearClocks();
    } else if (w == "movetime") {
      if (!hasNumber) continue;
      readInto(r.limits.moveTime);
      clearClocks();  // a fixed time overrides the clocks given before it
    } else if (w == "searchmoves") {
      searchMovesSeen = true;
    } else if (searchMovesSeen) {
      r.searchMoveTokens.push_back(w);
    }
  }
  return r;
}

Allotment formulaAllotment(const GoClock& c, int side) {
  const int64_t own = side == White ? c.wtime : c.btime;
  const int64_t opponent = side == White ? c.btime : c.wtime;
  const int64_t increment = side == White ? c.winc : c.binc;
  Allotment a;
  int64_t ms;
  if (c.winc != 0 || c.binc != 0 || c.movesToGo != 0) {
    // An even share of the clock plus the increments still to come, over the moves to the
    // next control (25 when none is announced).
    const int64_t n = c.movesToGo != 0 ? c.movesToGo : 25;
    ms = (own + increment * n) / n;
    if (n == 1) {
      // The last move before the control: keep 100 ms back, and the search never extends it.
      a.lastMoveBeforeControl = true;
      ms = std::max<int64_t>(ms - 100, 0);
    }
  } else if (own > 60000) {
    ms = own / 25;
  } else if (own < 8000) {
    ms = 63;
  } else if (own <= 15000) {
    ms = 125;
  } else if (own <= 30000) {
    ms = 250;
  } else {
    ms = own - opponent >= 4000 ? 3000 : 500;  // with a clear lead, spend some of it
  }
  a.ms = int32_t(std::clamp<int64_t>(ms, INT32_MIN, INT32_MAX));
  return a;
}

Allotment timeAllotment(const GoClock& c, int side, int32_t overhead) {
  Allotment a = formulaAllotment(c, side);
  const int64_t own = side == White ? c.wtime : c.btime;
  const int64_t increment = std::max<int32_t>(side == White ? c.winc : c.binc, 0);
  const int64_t usable = own - overhead;
  // A share of what is left, over the moves to the control (eight at most) ...
  const int64_t share = c.movesToGo > 0 ? std::min<int32_t>(c.movesToGo, 8) : 8;
  // ... or three quarters of the increment, which always leaves a quarter to rebuild the clock;
  // two thirds of the usable clock leave room for the extension on a dropping score.
  const int64_t cap = std::max(usable / share, std::min(increment * 3 / 4, usable * 2 / 3));
  a.ms = int32_t(std::clamp<int64_t>(std::min<int64_t>(a.ms, cap), MinimumThinkMs, INT32_MAX));
  a.maxMs = int32_t(std::clamp<int64_t>(usable, a.ms, INT32_MAX));
  return a;
}

int32_t moveTimeLimit(int32_t moveTime, int32_t overhead) {
  return std::max(MinimumThinkMs, moveTime - std::min(overhead, moveTime / 2));
}

void goCommand(ThinkThread& engine, const EngineSettings& settings, const std::vector<std::string>& tokens) {
  // The GUI's clock is running from now: waiting for an old search counts against this one.
  const uint32_t arrived = tickNow();
  GoRequest r = parseGo(tokens, settings.multiPv);
  SearchLimits& limits = r.limits;
  limits.startTick = arrived;
  // A GUI may ponder without having set the Ponder option; its "ponderhit" needs a search to hit.
  limits.ponder = r.ponderRequested;

  // What follows reads the Board, and the new search replaces any running one anyway.
  engine.stopAndWait();
  SearchContext& g = engine.context();
  for (const std::string& token : r.searchMoveTokens) addSearchMove(g, token, limits.searchMoves);

  if (r.clock.given) {
    const Allotment a = timeAllotment(r.clock, g.board.st.turn, settings.moveOverhead);
    limits.moveTime = a.ms;
    limits.maxTime = a.maxMs;
    limits.lastMoveBeforeControl = a.lastMoveBeforeControl;
  } else if (limits.moveTime > 0) {
    limits.moveTime = limits.maxTime = moveTimeLimit(limits.moveTime, settings.moveOverhead);
  }

  // A timed, non-pondering "go" plays from the book without searching when it can, unless the
  // GUI restricted the moves: a book move need not be among them. The book knows only the
  // standard game.
  PackedMove fromBook;
  if (limits.moveTime != 0 && !limits.ponder && limits.searchMoves.empty() && settings.ownBook && !chess960 &&
      bookMove(g, fromBook)) {
    print("bestmove %s\n", packedToUci(fromBook).c_str());
    return;
  }
  if (settings.limitStrength) limitStrength(limits, settings.uciElo, settings.strengthSeed);
  engine.handOff("search", limits);
}
