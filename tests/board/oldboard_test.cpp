// The reference board: FEN in and out, and the refusals that keep the engine safe.
#include "board/oldboard.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>

#include "board/keys.h"
#include "board/test_positions.h"

namespace {

OldBoard parsed(const char* fen, int* side = nullptr) {
  OldBoard ob;
  resetOldBoard(ob);
  EXPECT_TRUE(parseFen(ob, fen, side, nullptr)) << fen;
  return ob;
}

// Field by field: the record has padding, so a byte comparison would see noise. Not the last
// target or the material sums: nothing reads them.
void expectSameBoard(const OldBoard& a, const OldBoard& b) {
  EXPECT_EQ(0, std::memcmp(a.squares, b.squares, 64));
  EXPECT_EQ(a.hash, b.hash);
  EXPECT_EQ(a.kingSquare[0], b.kingSquare[0]);
  EXPECT_EQ(a.kingSquare[1], b.kingSquare[1]);
  EXPECT_EQ(a.flagsEp, b.flagsEp);
  EXPECT_EQ(a.fifty, b.fifty);
  EXPECT_EQ(a.check, b.check);
  EXPECT_EQ(a.occupancy, b.occupancy);
}

std::string firstFields(const std::string& fen, int count) {
  std::istringstream in(fen);
  std::string field, out;
  for (int i = 0; i < count && in >> field; ++i) out += (i ? " " : "") + field;
  return out;
}

// The reset marks the minor pieces as moved and FEN does not, so only the key differs: the
// book's keys come from the reset.
TEST(OldBoardTest, StartPositionFromResetAndFromFen) {
  OldBoard reset;
  resetOldBoard(reset);
  EXPECT_EQ("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0", oldBoardToFen(reset, White));
  EXPECT_EQ(OldMoved | OldBlack | Bishop, reset.squares[C8]);
  EXPECT_EQ(Rook, reset.squares[A1]);

  // The initial position as FEN is the reset board, moved bits and book key included; the fifty
  // counter is the FEN's. Without a castling right, or Black to move, it is another position.
  int side = -1, moveNumber = -1;
  OldBoard fromFen;
  ASSERT_TRUE(
      parseFen(fromFen, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 4 3", &side, &moveNumber));
  EXPECT_EQ(White, side);
  EXPECT_EQ(3, moveNumber);
  EXPECT_EQ(4, fromFen.fifty);
  EXPECT_EQ(0, std::memcmp(reset.squares, fromFen.squares, sizeof reset.squares));
  EXPECT_EQ(reset.hash, fromFen.hash);
  for (const char* other : {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQk - 0 1",
                            "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1"}) {
    const OldBoard o = parsed(other);
    EXPECT_EQ(o.squares[B1], Knight) << other;  // no moved bit: not taken for the initial position
  }
  OldBoard recomputed = reset;
  recomputeOldBoard(recomputed, White, false);
  expectSameBoard(reset, recomputed);
}

// Every test position comes back as it went in, with the key a recomputation gives.
TEST(OldBoardTest, FenRoundTripsOverTestPositions) {
  int count = 0;
  for (const char* suite : {"perftsuite.epd", "standard.epd"}) {
    for (const PerftLine& line : loadPerftSuite(suite)) {
      ++count;
      const std::string fen = line.fen;
      int side;
      OldBoard ob = parsed(fen.c_str(), &side);
      EXPECT_EQ(firstFields(fen, 5), oldBoardToFen(ob, side));
      OldBoard recomputed = ob;
      recomputeOldBoard(recomputed, side, false);
      expectSameBoard(ob, recomputed);
    }
  }
  EXPECT_GT(count, 100);
}

// What the castling, ep and counter fields become, seen through the FEN written back.
TEST(OldBoardTest, FieldsAsWrittenBack) {
  for (const CaseLine& c : loadCases("cases/fen_fields.txt")) {
    int side;
    OldBoard ob = parsed(c[0].c_str(), &side);
    EXPECT_EQ(c[1], oldBoardToFen(ob, side)) << c[0];
  }

  OldBoard k = parsed("r3k2r/8/8/8/8/8/8/R3K2R w K - 0 1");
  EXPECT_TRUE(k.squares[A1] & OldMoved);
  EXPECT_FALSE(k.squares[H1] & OldMoved);
  EXPECT_TRUE(parsed("r3k2r/8/8/8/8/8/8/R5KR w KQkq - 0 1").flagsEp & NoCastleWhite);
  // The ep field names e3 but the pawn on e4 is stored, and kept out of the key.
  OldBoard e3 = parsed("4k3/8/8/8/4P3/8/8/4K3 b - e3 0 1");
  EXPECT_EQ(E4, oldEp(e3));
  OldBoard withEp = e3;
  recomputeOldBoard(withEp, Black, true);
  EXPECT_EQ(e3.hash ^ zobristEp[E4], withEp.hash);
  int side, moveNumber;
  ASSERT_TRUE(parseFen(k, "4k3/8/8/8/8/8/8/R3K3 w Q - 12 30", &side, &moveNumber));
  EXPECT_EQ(30, moveNumber);
}

// Refused text leaves the board exactly as it was and the outputs at their defaults.
TEST(OldBoardTest, RefusedFenLeavesBoardUnchanged) {
  OldBoard before;
  ASSERT_TRUE(parseFen(before, "r3k2r/8/8/3pP3/8/8/8/R3K2R w Kq d6 5 9", nullptr, nullptr));
  std::vector<const char*> refused = {nullptr, ""};
  const std::vector<CaseLine> listed = loadCases("cases/fen_refused.txt");
  for (const CaseLine& c : listed) refused.push_back(c[0].c_str());
  for (const char* fen : refused) {
    OldBoard ob = before;
    int side = Black, moveNumber = 7;
    EXPECT_FALSE(parseFen(ob, fen, &side, &moveNumber)) << (fen ? fen : "(null)");
    EXPECT_EQ(White, side);
    EXPECT_EQ(1, moveNumber);
    expectSameBoard(before, ob);
  }
  // One step short of unsafe is taken.
  parsed("QQQQQQQQ/QQQQQQQ1/8/8/8/8/8/K6k b - - 0 1");
  EXPECT_EQ(1, parsed("4k3/8/8/8/8/8/3p4/4K3 w - - 0 1").check);
  EXPECT_EQ(1, parsed("4k3/8/8/8/8/8/8/4R1K1 b - - 0 1").check);
}

// Numbers and blanks beyond any buffer are read to their end (random text is the fuzzer's).
TEST(OldBoardTest, OverlongFieldsAreReadToTheirEnd) {
  OldBoard ob;
  resetOldBoard(ob);
  std::string longFifty = "4k3/8/8/8/8/8/8/4K3 w KQkq - " + std::string(1 << 20, '7');
  EXPECT_TRUE(parseFen(ob, longFifty.c_str(), nullptr, nullptr));
  EXPECT_EQ(255, ob.fifty);
  EXPECT_FALSE(parseFen(ob, std::string(1 << 20, '8').c_str(), nullptr, nullptr));
  EXPECT_TRUE(parseFen(ob, ("4k3/8/8/8/8/8/8/4K3" + std::string(1 << 20, ' ')).c_str(), nullptr, nullptr));
}

}  // namespace
