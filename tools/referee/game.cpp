#include "game.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <random>
#include <sstream>
#include <stdexcept>

#include "board/bitboard.h"
#include "board/chess960.h"
#include "board/keys.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "board/movetext.h"
#include "board/oldboard.h"

using std::chrono::steady_clock;

namespace {

constexpr auto HandshakeTime = std::chrono::seconds(10);
constexpr int MaxShownProtocolErrors = 12;  // the rest are only counted
std::atomic<int> shownProtocolErrors{0};
const char* colourName[2] = {"white", "black"};

std::string firstWord(const std::string& line) {
  std::istringstream in(line);
  std::string w;
  in >> w;
  return w;
}

std::string commandText(const EngineSetup& setup) {
  std::string s;
  for (const std::string& a : setup.argv) s += (s.empty() ? "" : " ") + a;
  return s;
}

void protocolError(int& count, const Engine& e, const std::string& line, const std::string& why) {
  ++count;
  if (shownProtocolErrors++ < MaxShownProtocolErrors)
    logLine("protocol error, engine " + e.setup->label + ": " + why + ": \"" + line + "\"");
}

// Lines an engine may send besides the answer awaited: info lines about its search.
void otherLine(Engine& e, const std::string& line, int& protocolErrors) {
  if (firstWord(line).empty()) return;  // blank lines carry nothing
  const std::string problem =
      firstWord(line) == "info" ? checkInfoLine(e.searched, line) : std::string("unexpected line");
  if (!problem.empty()) protocolError(protocolErrors, e, line, problem);
  if (problem.empty() && firstWord(line) == "info") {
    std::istringstream words(line);
    std::string word;
    while (words >> word && word != "string")  // the rest of the line is free text
      if (word == "depth" && words >> e.lastDepth) break;
  }
}

// Sends isready and waits for readyok; a timeout is a hang, an end of file a crash.
ReadResult waitReady(Engine& e, int& protocolErrors) {
  if (!writeLine(e.proc, "isready")) return ReadResult::Closed;
  const SteadyTime deadline = steady_clock::now() + HandshakeTime;
  std::string line;
  for (;;) {
    const ReadResult r = readLine(e.proc, line, deadline);
    if (r != ReadResult::Line) return r;
    if (firstWord(line) == "readyok") return r;
    otherLine(e, line, protocolErrors);
  }
}

// The name between "option name" and "type".
std::string optionName(const std::string& line) {
  const size_t from = line.find("name ") + 5;
  const size_t to = line.find(" type ", from);
  return line.substr(from, to == std::string::npos ? std::string::npos : to - from);
}

struct Game {
  Engine* eng[2];  // by colour
  const TimeControl& tc;
  const RunSettings& s;
  GameRecord& rec;
  Board board;
  std::vector<std::string> moves;  // from the start position, in UCI text
  std::vector<uint64_t> keys;      // every position since the last irreversible move
  Move lastMove;
  SideClock clocks[2];
};

std::string msText(int64_t us) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f ms", double(us) / 1000);
  return text;
}

std::string positionCommand(const std::string& startFen, const std::vector<std::string>& moves) {
  std::string s = startFen.empty() ? "position startpos" : "position fen " + startFen;
  if (!moves.empty()) s += " moves";
  for (const std::string& m : moves) s += " " + m;
  return s;
}

// The key of the position for repetitions: an en-passant square counts only when a capture
// there is legal, since otherwise the position is the same as without it.
uint64_t repetitionKey(const Board& b, const Move* legal, int n) {
  if (!b.st.ep) return b.hash;
  for (int i = 0; i < n; ++i)
    if (isEnPassant(legal[i])) return b.hash;
  return b.hash ^ zobristEp[b.st.ep];
}

void playMove(Game& g, Move m) {
  g.rec.san.push_back(moveToSan(g.board, m));
  g.moves.push_back(moveToUci(m));
  doMove(g.board, m);
  g.lastMove = m;
  if (g.board.st.fiftyCounter == 0) g.keys.clear();
  Move legal[MaxMoves];
  g.keys.push_back(repetitionKey(g.board, legal, generateMoves(g.board, legal)));
}

// Why the game is over in its current position, or "" while it goes on; result gets the score.
std::string ending(const Game& g, std::string& result) {
  Move legal[MaxMoves];
  const int n = generateMoves(g.board, legal);
  result = "1/2-1/2";
  if (n == 0 && g.board.inCheck()) {
    result = g.board.turn() == White ? "0-1" : "1-0";
    return "checkmate";
  }
  if (n == 0) return "stalemate";
  if (g.board.st.fiftyCounter >= 100) return "fifty-move rule";
  if (std::count(g.keys.begin(), g.keys.end(), g.keys.back()) >= 3) return "threefold repetition";
  const Board& b = g.board;
  const Bitboard heavy = b.pieces(Pawn, White) | b.pieces(Pawn, Black) | b.pieces(Rook, White) |
                         b.pieces(Rook, Black) | b.pieces(Queen, White) | b.pieces(Queen, Black);
  const Bitboard minors = b.pieces(Knight, White) | b.pieces(Knight, Black) | b.pieces(Bishop, White) |
                          b.pieces(Bishop, Black);
  if (!heavy && popCount(minors) <= 1) return "insufficient material";
  if (int(g.moves.size()) >= g.s.maxPlies) return "ply limit";
  return "";
}

void finish(Game& g, const std::string& result, const std::string& reason) {
  if (!g.rec.result.empty()) return;  // the first ending stands
  g.rec.result = result;
  g.rec.reason = reason;
  const double whiteScore = result == "1-0" ? 1 : result == "0-1" ? 0 : 0.5;
  g.rec.scoreA = g.rec.aWhite ? whiteScore : 1 - whiteScore;
}

void lose(Game& g, int colour, const std::string& reason) {
  finish(g, colour == White ? "0-1" : "1-0", std::string(colourName[colour]) + " " + reason);
}

std::string where(const Game& g, int colour) {
  return "game " + std::to_string(g.rec.index + 1) + ", engine " + g.eng[colour]->setup->label + " (" +
         colourName[colour] + "), ply " + std::to_string(g.moves.size() + 1);
}

// A hung or dead engine loses the game and is started afresh for the next one.
void failed(Game& g, int colour, ReadResult r, const std::string& when) {
  const bool hang = r == ReadResult::Timeout;
  ++(hang ? g.rec.tally.hangs : g.rec.tally.crashes);
  Engine& e = *g.eng[colour];
  std::string lastLines;
  for (const auto* lines : {&e.proc.sent, &e.proc.read})
    for (const std::string& l : *lines) lastLines += "\n    " + l;
  const std::string end = reapChild(e.proc, hang ? 0 : 200);
  logLine(std::string(hang ? "hang " : "crash ") + when + ": " + where(g, colour) + " (" + end +
          "); its last lines:" + lastLines);
  startEngine(e, g.s, g.rec.tally.protocol);
  lose(g, colour, hang ? "hangs" : "crashes");
}

// Reads until the engine of `colour` answers bestmove, checking the lines of both engines: the
// other one may be pondering. `which` tells whose pipe closed or failed.
ReadResult awaitBestMove(Game& g, int colour, SteadyTime deadline, std::string& answer, SteadyTime& at, int& which) {
  Child* const children[2] = {&g.eng[colour]->proc, g.eng[colour ^ 1]->pondering ? &g.eng[colour ^ 1]->proc : nullptr};
  for (;;) {
    std::string line;
    int k = 0;
    const ReadResult r = readLine(children, line, k, deadline);
    at = steady_clock::now();
    which = k == 0 ? colour : colour ^ 1;
    if (r != ReadResult::Line) {
      if (r == ReadResult::Timeout) which = colour;
      return r;
    }
    Engine& e = *g.eng[which];
    if (firstWord(line) != "bestmove") {
      otherLine(e, line, g.rec.tally.protocol);
    } else if (k == 0) {
      e.busy = false;
      answer = line;
      return r;
    } else if (!e.earlyAnswer) {
      // A pondering engine must wait for ponderhit or stop; its move is kept for ponderhit.
      protocolError(g.rec.tally.protocol, e, line, "bestmove while pondering");
      e.earlyAnswer = true;
      const std::string problem = parseBestMove(e.searched, line, e.early);
      if (!problem.empty()) protocolError(g.rec.tally.protocol, e, line, problem);
    }
  }
}

// Ends a running search whose result is not wanted; false when the engine failed to answer.
bool stopSearch(Game& g, int colour, const std::string& when) {
  Engine& e = *g.eng[colour];
  e.pondering = false;
  if (!e.busy) return true;
  e.busy = false;
  if (e.earlyAnswer) return true;  // it already answered
  ReadResult r = writeLine(e.proc, "stop") ? ReadResult::Line : ReadResult::Closed;
  const SteadyTime deadline = steady_clock::now() + std::chrono::milliseconds(g.s.stopMs);
  std::string line;
  while (r == ReadResult::Line) {
    r = readLine(e.proc, line, deadline);
    if (r != ReadResult::Line) break;
    if (firstWord(line) != "bestmove") {
      otherLine(e, line, g.rec.tally.protocol);
      continue;
    }
    BestMove ignored;
    const std::string problem = parseBestMove(e.searched, line, ignored);
    if (!problem.empty()) protocolError(g.rec.tally.protocol, e, line, problem);
    return true;
  }
  failed(g, colour, r, when);
  return false;
}

void startPonder(Game& g, int colour, Move reply) {
  Engine& e = *g.eng[colour];
  e.searched = g.board;
  doMove(e.searched, reply);
  Move legal[MaxMoves];
  if (generateMoves(e.searched, legal) == 0) return;  // nothing to ponder on after a mate
  std::vector<std::string> moves = g.moves;
  moves.push_back(moveToUci(reply));
  if (!writeLine(e.proc, positionCommand(g.rec.startFen, moves)) ||
      !writeLine(e.proc, "go ponder " + goArguments(g.clocks[White], g.clocks[Black], g.tc, colour)))
    return failed(g, colour, ReadResult::Closed, "at go ponder");
  e.busy = e.pondering = true;
  e.earlyAnswer = false;
  e.ponderMove = reply;
  e.lastDepth = 0;
}

// One move of the side to move; false once the game has ended.
bool playTurn(Game& g) {
  std::string result;
  const std::string reason = ending(g, result);
  if (!reason.empty()) {
    finish(g, result, reason);
    return false;
  }
  const int side = g.board.turn();
  Engine& e = *g.eng[side];
  SteadyTime start;
  bool ponderHit = false;
  if (e.pondering && moveEqual(e.ponderMove, g.lastMove)) {
    // The clock runs from the ponderhit: the engine has used none of its own time so far.
    e.pondering = false;
    if (!writeLine(e.proc, "ponderhit")) return failed(g, side, ReadResult::Closed, "at ponderhit"), false;
    start = steady_clock::now();
    ponderHit = true;
  } else if (e.pondering && !stopSearch(g, side, "after stop")) {
    return false;
  }
  if (!ponderHit) {
    e.searched = g.board;
    e.earlyAnswer = false;
    if (!writeLine(e.proc, positionCommand(g.rec.startFen, g.moves)) ||
        !writeLine(e.proc, "go " + goArguments(g.clocks[White], g.clocks[Black], g.tc, side)))
      return failed(g, side, ReadResult::Closed, "at go"), false;
    start = steady_clock::now();
    e.busy = true;
    e.lastDepth = 0;
  }

  BestMove best;
  std::string answer;
  SteadyTime at = start;
  if (e.earlyAnswer) {
    best = e.early;
    answer = "(sent while pondering)";
    e.busy = e.earlyAnswer = false;
  } else {
    const int64_t allowedMs = std::max<int64_t>(0, g.clocks[side].leftUs / 1000) + g.s.graceMs;
    int which = side;
    const ReadResult r = awaitBestMove(g, side, start + std::chrono::milliseconds(allowedMs), answer, at, which);
    const char* when = which != side ? "while pondering" : ponderHit ? "after ponderhit" : "after go";
    if (r != ReadResult::Line) return failed(g, which, r, when), false;
    const std::string problem = parseBestMove(e.searched, answer, best);
    if (!problem.empty() && best.legal) protocolError(g.rec.tally.protocol, e, answer, problem);
    if (!problem.empty() && !best.legal) answer += "  [" + problem + "]";
  }

  const int64_t usedUs = std::chrono::duration_cast<std::chrono::microseconds>(at - start).count();
  const int64_t leftUs = g.clocks[side].leftUs - usedUs;
  Tally& t = g.rec.tally;
  if (!chargeMove(g.clocks[side], g.tc, usedUs)) {
    ++t.flags;
    t.maxOverrunUs = std::max(t.maxOverrunUs, -leftUs);
    logLine("flag: " + where(g, side) + ", " + msText(usedUs) + " used " + (ponderHit ? "after ponderhit" : "after go") +
            ", " + msText(-leftUs) + " beyond the clock");
    lose(g, side, "loses on time");
    return false;
  }
  const int by = e.setup->label == "A" ? 0 : 1;
  t.minLeftUsBy[by] = std::min(t.minLeftUsBy[by], leftUs);
  if (!best.legal) {
    ++t.illegal;
    logLine("illegal move: " + where(g, side) + ": " + answer + " after \"" + positionCommand(g.rec.startFen, g.moves) + "\"");
    lose(g, side, "makes an illegal move");
    return false;
  }
  Move legal[MaxMoves];
  if (e.lastDepth <= 1 && generateMoves(g.board, legal) > 1) ++t.shallowBy[by];
  playMove(g, best.move);
  if (g.s.ponder && best.hasPonder && ending(g, result).empty()) startPonder(g, side, best.ponder);
  return g.rec.result.empty();
}

}  // namespace

void Tally::add(const Tally& t) {
  flags += t.flags;
  hangs += t.hangs;
  crashes += t.crashes;
  illegal += t.illegal;
  protocol += t.protocol;
  maxOverrunUs = std::max(maxOverrunUs, t.maxOverrunUs);
  for (int i = 0; i < 2; ++i) {
    minLeftUsBy[i] = std::min(minLeftUsBy[i], t.minLeftUsBy[i]);
    shallowBy[i] += t.shallowBy[i];
  }
}

void logLine(const std::string& text) {
  static std::mutex m;
  std::lock_guard<std::mutex> lock(m);
  std::fprintf(stderr, "%s\n", text.c_str());
}

void startEngine(Engine& e, const RunSettings& s, int& protocolErrors) {
  e.busy = e.pondering = e.earlyAnswer = false;
  resetBoard(e.searched);
  e.proc.tag = e.setup->label;
  const std::string who = "engine " + e.setup->label + " (" + commandText(*e.setup) + ")";
  if (!startChild(e.proc, e.setup->argv, s.cwd)) throw std::runtime_error("cannot start " + who);
  auto fail = [&](const std::string& what) {
    const std::string end = reapChild(e.proc, 200);
    throw std::runtime_error(who + " " + what + " (" + end + ")");
  };
  if (!writeLine(e.proc, "uci")) fail("does not read its input");
  std::vector<std::string> offered;
  const SteadyTime deadline = steady_clock::now() + HandshakeTime;
  for (std::string line;;) {
    const ReadResult r = readLine(e.proc, line, deadline);
    if (r != ReadResult::Line) fail(r == ReadResult::Timeout ? "sent no uciok" : "exited before uciok");
    const std::string word = firstWord(line);
    if (word == "uciok") break;
    if (line.rfind("id name ", 0) == 0) e.name = line.substr(8);
    if (word == "option") offered.push_back(optionName(line));
    // Anything else before uciok is a banner: the engine did not know yet that it speaks UCI.
  }
  if (e.name.empty()) e.name = commandText(*e.setup);
  std::vector<std::string> options = e.setup->options;
  options.push_back(std::string("Ponder=") + (s.ponder ? "true" : "false"));
  if (chess960) options.push_back("UCI_Chess960=true");
  for (const std::string& o : options) {
    const size_t eq = o.find('=');
    const std::string name = o.substr(0, eq);
    if (std::find(offered.begin(), offered.end(), name) == offered.end()) {
      static std::atomic<int> warned{0};
      if (warned++ < 4) logLine("warning: " + who + " offers no option \"" + name + "\"");
    }
    const std::string value = eq == std::string::npos ? "" : " value " + o.substr(eq + 1);
    if (!writeLine(e.proc, "setoption name " + name + value)) fail("exited during setoption");
  }
  const ReadResult r = waitReady(e, protocolErrors);
  if (r != ReadResult::Line) fail(r == ReadResult::Timeout ? "sent no readyok" : "exited before readyok");
}

void stopEngine(Engine& e) {
  if (e.proc.pid <= 0) return;
  // A moment to quit on its own, so that an engine which writes files on exit can do so.
  if (writeLine(e.proc, "quit")) {
    std::string line;
    const SteadyTime deadline = steady_clock::now() + std::chrono::seconds(1);
    while (readLine(e.proc, line, deadline) == ReadResult::Line) {
    }
  }
  reapChild(e.proc, 0);
}

GameRecord playGame(Engine& a, Engine& b, bool aWhite, const std::vector<std::string>& opening,
                    const TimeControl& tc, const RunSettings& s, int index, const std::string& startFen) {
  GameRecord rec;
  rec.index = index;
  rec.aWhite = aWhite;
  rec.startFen = startFen;
  Game g{{aWhite ? &a : &b, aWhite ? &b : &a}, tc, s, rec, {}, {}, {}, {}, {startClock(tc), startClock(tc)}};
  resetBoard(g.board);
  if (!startFen.empty()) {
    OldBoard ob;
    resetOldBoard(ob);
    int side = White;
    if (!parseFen(ob, startFen.c_str(), &side, nullptr)) throw std::runtime_error("bad start position " + startFen);
    boardFromOld(g.board, ob, side);
  }
  g.keys.push_back(g.board.hash);
  for (const std::string& text : opening) {
    Move m;
    legalMove(g.board, text, m);  // checked when the opening was made or read
    playMove(g, m);
  }
  rec.openingPlies = int(opening.size());
  for (int colour = White; colour <= Black; ++colour) {
    Engine& e = *g.eng[colour];
    e.searched = g.board;
    const ReadResult r = writeLine(e.proc, "ucinewgame") ? waitReady(e, rec.tally.protocol) : ReadResult::Closed;
    if (r != ReadResult::Line) failed(g, colour, r, "at ucinewgame");
  }
  if (rec.result.empty())
    while (playTurn(g)) {
    }
  for (int colour = White; colour <= Black; ++colour) stopSearch(g, colour, "after stop at the end of the game");
  return rec;
}

std::vector<std::string> randomOpening(uint64_t seed, uint64_t number) {
  std::mt19937_64 rng(seed * 0x9E3779B97F4A7C15ULL + number);
  for (;;) {
    Board b;
    resetBoard(b);
    std::vector<std::string> line;
    const int plies = 2 + int(rng() % 5);
    Move legal[MaxMoves];
    int n = generateMoves(b, legal);
    while (int(line.size()) < plies && n > 0) {
      const Move m = legal[rng() % n];
      line.push_back(moveToUci(m));
      doMove(b, m);
      n = generateMoves(b, legal);
    }
    if (n > 0) return line;  // a line that mates (1. f3 e5 2. g4 Qh4#) is drawn again
  }
}

std::string checkOpening(const std::vector<std::string>& moves) {
  Board b;
  resetBoard(b);
  for (const std::string& text : moves) {
    Move m;
    if (!legalMove(b, text, m)) return "illegal move " + text;
    doMove(b, m);
  }
  Move legal[MaxMoves];
  return generateMoves(b, legal) ? "" : "no legal move at the end";
}

std::string chess960Start(int n) {
  // The standard numbering: the bishops, the queen and the knights by the digits of n, then the
  // rooks with the king between them on the three squares left.
  char rank[8] = {};
  rank[(n % 4) * 2 + 1] = 'b';
  n /= 4;
  rank[(n % 4) * 2] = 'b';
  n /= 4;
  auto putOnFree = [&](int k, char piece) {
    for (int f = 0; f < 8; ++f)
      if (!rank[f] && k-- == 0) return void(rank[f] = piece);
  };
  putOnFree(n % 6, 'q');
  n /= 6;
  constexpr int knights[10][2] = {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 1}, {1, 2}, {1, 3}, {2, 2}, {2, 3}, {3, 3}};
  putOnFree(knights[n][0], 'n');
  putOnFree(knights[n][1], 'n');
  for (char piece : {'r', 'k', 'r'}) putOnFree(0, piece);
  std::string black(rank, 8), white = black;
  for (char& c : white) c = char(c - 'a' + 'A');
  return black + "/pppppppp/8/8/8/8/PPPPPPPP/" + white + " w KQkq - 0 1";
}

bool readOpenings(const std::string& path, std::vector<std::vector<std::string>>& out, std::string& error) {
  std::ifstream in(path);
  if (!in) return error = "cannot read " + path, false;
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::vector<std::string> moves;
    for (std::string w; words >> w;) moves.push_back(w);
    if (moves.empty()) continue;
    const std::string problem = checkOpening(moves);
    if (!problem.empty()) return error = path + ":" + std::to_string(number) + ": " + problem, false;
    out.push_back(moves);
  }
  if (out.empty()) return error = "no opening in " + path, false;
  return true;
}
