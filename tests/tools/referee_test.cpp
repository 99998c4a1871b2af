// velmar-referee: time controls and clocks, and the checks of the engines' info and bestmove lines.
#include <gtest/gtest.h>

#include "board/test_positions.h"
#include "referee/clock.h"
#include "referee/game.h"
#include "referee/lines.h"

TEST(Referee, TimeControlsParseAndRejectMalformedText) {
  TimeControl tc;
  ASSERT_TRUE(parseTimeControl("0.2+0.01", tc));
  EXPECT_EQ(tc.moves, 0);
  EXPECT_EQ(tc.baseUs, 200000);
  EXPECT_EQ(tc.incUs, 10000);
  ASSERT_TRUE(parseTimeControl("40/4", tc));
  EXPECT_EQ(tc.moves, 40);
  EXPECT_EQ(tc.baseUs, 4000000);
  EXPECT_EQ(tc.incUs, 0);
  ASSERT_TRUE(parseTimeControl("5", tc));
  EXPECT_EQ(tc.baseUs, 5000000);
  for (const char* bad : {"", "x", "0", "-1", "1+", "1+-0.1", "+1", "40/", "/4", "0/4", "40/0", "1e999", "nan", "2 +1"})
    EXPECT_FALSE(parseTimeControl(bad, tc)) << bad;
}

TEST(Referee, ClockChargesMovesAddsIncrementsAndRenewsPeriods) {
  TimeControl tc;
  ASSERT_TRUE(parseTimeControl("2/1+0.1", tc));
  SideClock c = startClock(tc);
  EXPECT_EQ(goArguments(c, c, tc, White), "wtime 1000 btime 1000 winc 100 binc 100 movestogo 2");
  ASSERT_TRUE(chargeMove(c, tc, 300000));
  EXPECT_EQ(c.leftUs, 800000);
  EXPECT_EQ(c.movesToGo, 1);
  ASSERT_TRUE(chargeMove(c, tc, 800000));  // all that was left: not yet a flag
  EXPECT_EQ(c.leftUs, 1100000);            // increment and the next period's base
  EXPECT_EQ(c.movesToGo, 2);
  EXPECT_FALSE(chargeMove(c, tc, 1100001));
  EXPECT_EQ(c.leftUs, -1);  // the overrun, before any increment

  ASSERT_TRUE(parseTimeControl("0.2+0.01", tc));
  c = startClock(tc);
  SideClock black = c;
  black.leftUs = 1999;  // engines get whole milliseconds, rounded down
  EXPECT_EQ(goArguments(c, black, tc, Black), "wtime 200 btime 1 winc 10 binc 10");
}

TEST(Referee, InfoLinesAreCheckedWordByWordAndMoveByMove) {
  const Board start = startBoard();
  for (const CaseLine& c : loadCases("cases/info_lines.txt"))
    EXPECT_EQ(checkInfoLine(start, c[1]).empty(), c[0] == "good") << c[1];

  // Every pv move is played on before the next one is checked: castling after the way is cleared.
  const Board open = boardFromFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
  EXPECT_EQ(checkInfoLine(open, "info depth 2 pv e1g1 e8c8 a1d1"), "");
  EXPECT_NE(checkInfoLine(open, "info depth 2 pv e1g1 e8c8 e1c1"), "");
}

TEST(Referee, BestMoveLinesTellAnIllegalMoveFromABadPonderPart) {
  const Board start = startBoard();
  BestMove b;
  EXPECT_EQ(parseBestMove(start, "bestmove e2e4 ponder c7c5", b), "");
  EXPECT_TRUE(b.legal && b.hasPonder);
  EXPECT_EQ(parseBestMove(start, "bestmove g1f3", b), "");
  EXPECT_TRUE(b.legal && !b.hasPonder);
  for (const char* illegal : {"bestmove", "bestmove e2e5", "bestmove e2e4q", "bestmove (none)", "bestmove 0000"}) {
    EXPECT_NE(parseBestMove(start, illegal, b), "") << illegal;
    EXPECT_FALSE(b.legal) << illegal;
  }
  for (const char* badTail : {"bestmove e2e4 ponder e2e4", "bestmove e2e4 ponder", "bestmove e2e4 e7e5"}) {
    EXPECT_NE(parseBestMove(start, badTail, b), "") << badTail;
    EXPECT_TRUE(b.legal && !b.hasPonder) << badTail;
  }
  const Board promotion = boardFromFen("8/P6k/8/8/8/8/8/K7 w - - 0 1");
  EXPECT_EQ(parseBestMove(promotion, "bestmove a7a8n", b), "");
  EXPECT_EQ(b.move.promotion, Knight);
  EXPECT_FALSE(parseBestMove(promotion, "bestmove a7a8", b).empty());
}

// The Chess960 starts by number are the suite's, which lists them in the standard numbering.
TEST(Referee, Chess960StartsFollowTheStandardNumbering) {
  const auto suite = loadPerftSuite("chess960.epd");
  ASSERT_GE(suite.size(), 960u);
  for (int n = 0; n < 960; ++n) {
    const std::string fen = chess960Start(n), expected = suite[size_t(n)].fen;
    EXPECT_EQ(fen.substr(0, fen.find(' ')), expected.substr(0, expected.find(' '))) << n;
  }
  EXPECT_EQ(chess960Start(518), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
}
