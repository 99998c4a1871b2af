// velmar against itself under a fast clock, driven through pipes as a tournament manager would:
// every move must be legal and no side may run past its clock.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "board/draw.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "board/movetext.h"
#include "board/test_positions.h"
#include "frontend/engine_pipe.h"

namespace {

constexpr int StartClockMs = 2000;
constexpr int IncrementMs = 20;
constexpr int MaxPlies = 40;  // enough to see every phase of the clock handling

// Openings and middlegames of every kind, and a few endings.
constexpr const char* startPositions[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2",
    "rnbqkbnr/pp1ppppp/8/2p5/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2",
    "rnbqkbnr/ppp1pppp/8/3p4/3P4/8/PPP1PPPP/RNBQKBNR w KQkq - 0 2",
    "rnbqkb1r/pppppppp/5n2/8/2P5/8/PP1PPPPP/RNBQKBNR w KQkq - 1 2",
    "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3",
    "rnbqkb1r/pppp1ppp/5n2/4p3/2B1P3/8/PPPP1PPP/RNBQK1NR w KQkq - 2 3",
    "rnbqkbnr/pppp1ppp/4p3/8/3PP3/8/PPP2PPP/RNBQKBNR b KQkq - 0 2",
    "rnbqkbnr/pp2pppp/2p5/3p4/3PP3/8/PPP2PPP/RNBQKBNR w KQkq - 0 3",
    "rnbqk2r/ppppppbp/5np1/8/2PP4/2N5/PP2PPPP/R1BQKBNR w KQkq - 2 4",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    "2rq1rk1/pp1bppbp/2np1np1/8/3NP3/1BN1BP2/PPPQ2PP/2KR3R b - - 4 11",
    "r1b2rk1/2q1bppp/p2p1n2/np2p3/3PP3/5N1P/PPBN1PP1/R1BQR1K1 b - - 0 13",
    "3r1rk1/p4ppp/1p6/8/2P5/1P3N2/P4PPP/3R1RK1 w - - 0 20",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "8/5k2/8/3R4/8/4K3/5P2/3r4 w - - 0 1",
    "8/pp3kpp/8/8/8/8/PP3KPP/8 w - - 0 1",
    "6k1/5p2/6p1/8/7p/8/6PP/6K1 b - - 0 1",
    "r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 4 4",
};

std::string bestMoveOf(const std::string& line) {
  const size_t start = line.find(' ') + 1;
  const size_t end = line.find(' ', start);
  return line.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// Plays one game; returns the number of plies played.
int playGame(const char* fen) {
  EnginePipe engines[2];
  for (EnginePipe& e : engines) {
    e.send("uci\nucinewgame\nisready\n");
    EXPECT_TRUE(e.waitFor("readyok", 10000));
  }
  Board board = boardFromFen(fen);
  std::string moves;
  int clock[2] = {StartClockMs, StartClockMs};
  int plies = 0;
  for (; plies < MaxPlies; ++plies) {
    Move legal[MaxMoves];
    const int n = generateMoves(board, legal);
    if (n == 0 || isDrawByRule(board)) break;
    const int side = board.st.turn;
    EnginePipe& e = engines[side];
    const std::string go = "go wtime " + std::to_string(clock[White]) + " btime " + std::to_string(clock[Black]) +
                           " winc " + std::to_string(IncrementMs) + " binc " + std::to_string(IncrementMs) + "\n";
    const auto start = std::chrono::steady_clock::now();
    e.send(std::string("position fen ") + fen + (moves.empty() ? "" : " moves" + moves) + "\n" + go);
    const auto reply = e.waitFor("bestmove", clock[side] + 5000);
    const int used = int(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
    if (!reply) {
      ADD_FAILURE() << "no bestmove within the clock in " << fen << " after" << moves;
      break;
    }
    clock[side] -= used;
    EXPECT_GT(clock[side], 0) << (side == White ? "white" : "black") << " lost on time in " << fen << " after"
                              << moves << " (used " << used << " ms)";
    if (clock[side] <= 0) break;
    clock[side] += IncrementMs;
    const std::string text = bestMoveOf(*reply);
    UciMove um;
    Move m;
    if (!parseUciMove(text, um) || !findLegalMove(board, um, m)) {
      ADD_FAILURE() << "illegal move " << text << " in " << boardToFen(board);
      break;
    }
    doMove(board, m);
    moves += " " + text;
  }
  for (EnginePipe& e : engines) EXPECT_EQ(e.waitExit(5000), 0);
  return plies;
}

}  // namespace

TEST(SelfPlay, LegalMovesWithinTheClock) {
  int total = 0;
  for (const char* fen : startPositions) {
    total += playGame(fen);
    if (HasFailure()) break;
  }
  EXPECT_GT(total, 300);
}
