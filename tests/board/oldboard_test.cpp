// The reference board: FEN in and out, the refusals that keep the engine safe, the picture.
#include "board/oldboard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <sstream>
#include <string>

#include "board/bitboard.h"
#include "board/keys.h"
#include "board/test_positions.h"

namespace {

class OldBoardTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    initBitTables();
    initKeys();
  }
};

OldBoard parsed(const char* fen, int* side = nullptr) {
  OldBoard ob;
  resetOldBoard(ob);
  EXPECT_TRUE(parseFen(ob, fen, side, nullptr)) << fen;
  return ob;
}

// Field by field: the record has padding, so a byte comparison would see noise.
void expectSameBoard(const OldBoard& a, const OldBoard& b) {
  EXPECT_EQ(0, std::memcmp(a.squares, b.squares, 64));
  EXPECT_EQ(a.hash, b.hash);
  EXPECT_EQ(a.kingSquare[0], b.kingSquare[0]);
  EXPECT_EQ(a.kingSquare[1], b.kingSquare[1]);
  EXPECT_EQ(a.lastTarget, b.lastTarget);
  EXPECT_EQ(a.flagsEp, b.flagsEp);
  EXPECT_EQ(a.fifty, b.fifty);
  EXPECT_EQ(a.check, b.check);
  EXPECT_EQ(a.material, b.material);
  EXPECT_EQ(a.nonPawnMaterial, b.nonPawnMaterial);
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
TEST_F(OldBoardTest, StartPositionFromResetAndFromFen) {
  OldBoard reset;
  resetOldBoard(reset);
  EXPECT_EQ("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0", oldBoardToFen(reset, White));
  EXPECT_EQ(OldMoved | OldBlack | Bishop, reset.squares[C8]);
  EXPECT_EQ(Rook, reset.squares[A1]);
  int side = -1, moveNumber = -1;
  OldBoard fromFen;
  ASSERT_TRUE(
      parseFen(fromFen, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", &side, &moveNumber));
  EXPECT_EQ(White, side);
  EXPECT_EQ(1, moveNumber);
  for (int sq = 0; sq < 64; ++sq) EXPECT_EQ(reset.squares[sq] & ~OldMoved, fromFen.squares[sq]) << sq;
  EXPECT_NE(reset.hash, fromFen.hash);
  OldBoard recomputed = reset;
  recomputeOldBoard(recomputed, White, false);
  expectSameBoard(reset, recomputed);
}

// Every test position comes back as it went in, with the key a recomputation gives.
TEST_F(OldBoardTest, FenRoundTripsOverTestPositions) {
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
TEST_F(OldBoardTest, FieldsAsWrittenBack) {
  const char* cases[][2] = {
      {"r3k2r/8/8/8/8/8/8/R3K2R w K - 0 1", "r3k2r/8/8/8/8/8/8/R3K2R w K - 0"},
      {"r4k1r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "r4k1r/8/8/8/8/8/8/R3K2R w KQ - 0"},  // king on f8
      {"r3k2r/8/8/8/8/8/8/R5KR w KQkq - 0 1", "r3k2r/8/8/8/8/8/8/R5KR w kq - 0"},    // king on g1
      {"r3k2r/8/8/8/8/8/8/R3K2R w HAha - 0 1", "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0"},
      {"r3k2r/8/8/8/8/8/8/R3K2R w bkcd - 0 1", "r3k2r/8/8/8/8/8/8/R3K2R w k - 0"},
      {"r3k2r/8/8/8/8/8/8/R3K2R b KQ-kq - 0 1", "r3k2r/8/8/8/8/8/8/R3K2R b kq - 0"},
      {"4k3/8/8/8/4P3/8/8/4K3 b - e3 0 1", "4k3/8/8/8/4P3/8/8/4K3 b - e3 0"},
      {"4k3/8/8/3pP3/8/8/8/4K3 w - d 0 1", "4k3/8/8/3pP3/8/8/8/4K3 w - - 0"},
      {"4k3/8/8/8/3PP3/8/8/4K3 w - e3 0 1", "4k3/8/8/8/3PP3/8/8/4K3 w - - 0"},      // no black pawn
      {"4k3/8/8/3pP3/8/8/8/4K3 b - d6 0 1", "4k3/8/8/3pP3/8/8/8/4K3 b - - 0"},      // white moved last
      {"4k3/8/3B4/3pP3/8/8/8/4K3 w - d6 0 1", "4k3/8/3B4/3pP3/8/8/8/4K3 w - - 0"},  // d6 taken
      {"4k3/8/8/8/8/8/8/4K3b - - 7 42", "4k3/8/8/8/8/8/8/4K3 b - - 7"},  // no blank before the side
      {"4k3/8/8/8/8/8/8/R3K3", "4k3/8/8/8/8/8/8/R3K3 w - - 0"},
      {"4k3/8/8/8/8/8/8/R3K3 B Q - 99999999999 x", "4k3/8/8/8/8/8/8/R3K3 b Q - 255"},
  };
  for (auto& c : cases) {
    int side;
    OldBoard ob = parsed(c[0], &side);
    EXPECT_EQ(c[1], oldBoardToFen(ob, side)) << c[0];
  }

  OldBoard k = parsed(cases[0][0]);
  EXPECT_TRUE(k.squares[A1] & OldMoved);
  EXPECT_FALSE(k.squares[H1] & OldMoved);
  EXPECT_TRUE(parsed(cases[2][0]).flagsEp & NoCastleWhite);
  // The ep field names e3 but the pawn on e4 is stored, and kept out of the key.
  OldBoard e3 = parsed(cases[6][0]);
  EXPECT_EQ(E4, oldEp(e3));
  OldBoard withEp = e3;
  recomputeOldBoard(withEp, Black, true);
  EXPECT_EQ(e3.hash ^ zobristEp[E4], withEp.hash);
  int side, moveNumber;
  ASSERT_TRUE(parseFen(k, "4k3/8/8/8/8/8/8/R3K3 w Q - 12 30", &side, &moveNumber));
  EXPECT_EQ(30, moveNumber);
}

// Refused text leaves the board exactly as it was and the outputs at their defaults.
TEST_F(OldBoardTest, RefusedFenLeavesBoardUnchanged) {
  const char* refused[] = {
      nullptr,
      "",
      "rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
      "rnbqkbnr/ppppxppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
      "rnbqkbnr/pppppppp/0/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
      "4k3/8/8/8/8/8/8/8 w - - 0 1",                // no white king
      "4k3/8/8/8/8/8/8/3KK3 w - - 0 1",             // two white kings
      "4k2k/8/8/8/8/8/8/4K3 w - - 0 1",             // two black kings
      "4k3/8/8/8/8/8/8/4K2P w - - 0 1",             // pawn on the first rank
      "3pk3/8/8/8/8/8/8/4K3 w - - 0 1",             // pawn on the last rank
      "QQQQQQQQ/QQQQQQQQ/8/8/8/8/8/K6k b - - 0 1",  // 17 white men
      "4k3/8/8/8/8/8/8/4R1K1 w - - 0 1",            // the black king could be taken
      "4k3/8/8/8/8/8/3p4/4K3 b - - 0 1",            // the white king could be taken
  };
  OldBoard before;
  ASSERT_TRUE(parseFen(before, "r3k2r/8/8/3pP3/8/8/8/R3K2R w Kq d6 5 9", nullptr, nullptr));
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

// Whatever bytes arrive, parsing ends without reading past the text, and anything accepted is
// a position the engine can work with; under the sanitizers any stray read shows up here.
TEST_F(OldBoardTest, GarbageNeverBreaksParsing) {
  const std::string seeds[] = {
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
      "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
      "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1",
  };
  const std::string alphabet = "KQRBNPkqrbnp0123456789/ -wWbBaehx\t\x80\xff";
  std::mt19937 random(12345);
  OldBoard ob;
  resetOldBoard(ob);
  int accepted = 0;
  for (int i = 0; i < 30000; ++i) {
    std::string text;
    if (i % 2) {  // arbitrary bytes
      text.resize(random() % 90);
      for (char& c : text) c = char(random() % 255 + 1);
    } else {  // a real FEN with a few characters changed, dropped or cut off
      text = seeds[random() % 3];
      for (int edits = random() % 3 + 1; edits > 0 && !text.empty(); --edits) {
        size_t at = random() % text.size();
        switch (random() % 3) {
          case 0: text[at] = alphabet[random() % alphabet.size()]; break;
          case 1: text.erase(at, 1); break;
          default: text.resize(at + 1); break;
        }
      }
    }
    int side;
    if (!parseFen(ob, text.c_str(), &side, nullptr)) continue;
    ++accepted;
    OldBoard again;
    ASSERT_TRUE(parseFen(again, oldBoardToFen(ob, side).c_str(), nullptr, nullptr)) << text;
    EXPECT_EQ(oldBoardToFen(ob, side), oldBoardToFen(again, side)) << text;
  }
  EXPECT_GT(accepted, 1000);

  std::string longFifty = "4k3/8/8/8/8/8/8/4K3 w KQkq - " + std::string(1 << 20, '7');
  EXPECT_TRUE(parseFen(ob, longFifty.c_str(), nullptr, nullptr));
  EXPECT_EQ(255, ob.fifty);
  EXPECT_FALSE(parseFen(ob, std::string(1 << 20, '8').c_str(), nullptr, nullptr));
  EXPECT_TRUE(parseFen(ob, ("4k3/8/8/8/8/8/8/4K3" + std::string(1 << 20, ' ')).c_str(), nullptr, nullptr));
}

TEST_F(OldBoardTest, PictureGoesToOutputAndSink) {
  OldBoard ob = parsed("4k3/8/8/8/8/8/8/4K2R w K - 0 1");
  std::string sink = "before\n";
  testing::internal::CaptureStdout();
  printBoard(ob, &sink);
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_EQ("before\n" + printed, sink);
  // Squares seven characters wide, dark ones hatched, each man in the middle; rank 8 first.
  const std::string light = "       ", dark = "#######";
  EXPECT_EQ(printed.find(" 8 " + dark + light + dark + light + "## k ##" + light + dark + light + "\n"),
            printed.find('\n') + 1);
  EXPECT_NE(printed.find(" 1 " + light + dark + light + dark + "   K   " + dark + light + "## R ##\n"),
            std::string::npos);
  EXPECT_NE(printed.find("\n      a      b      c      d      e      f      g      h   \n"), std::string::npos);
  EXPECT_EQ(27, std::count(printed.begin(), printed.end(), '\n'));
}

}  // namespace
