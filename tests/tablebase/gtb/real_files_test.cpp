// velmar's reader on Debian's Gaviota tables (the five three-man endings) against Debian's own
// probing library, position by position.
#include "tablebase/gtb/gtb_support.h"

namespace {

using namespace gtbtest;

const std::string RealTables = "/usr/share/gaviotatb/gtb4";

// Every `stride`-th legal position of king and `piece` against the lone king, both sides to
// move; with `strongBlack` the piece and its king are Black's.
void addEveryPosition(std::vector<Probe>& out, int piece, bool strongBlack, size_t stride) {
  size_t seen = 0;
  Probe p;
  for (p.stm = 0; p.stm < 2; ++p.stm)
    for (int strongKing = 0; strongKing < 64; ++strongKing)
      for (int weakKing = 0; weakKing < 64; ++weakKing)
        for (int sq = 0; sq < 64; ++sq) {
          std::vector<Man> strong = {{strongKing, gtb::King}, {sq, piece}}, weak = {{weakKing, gtb::King}};
          p.white = strongBlack ? weak : strong;
          p.black = strongBlack ? strong : weak;
          if (legal(p) && seen++ % stride == 0) out.push_back(p);
        }
}

}  // namespace

TEST(GtbRealFiles, EveryLegalPositionMatchesReference) {
  VELMAR_NEEDS_ORACLE();
  // With the strong side White every position (in the full load); with it Black, which the
  // readers answer from the same files by mirroring, every seventh.
  const size_t stride = size_t(100 / loadShare());
  std::vector<Probe> probes;
  for (int piece : {gtb::Queen, gtb::Rook, gtb::Bishop, gtb::Knight, gtb::Pawn}) {
    addEveryPosition(probes, piece, false, stride);
    addEveryPosition(probes, piece, true, stride * 7);
  }
  gtb::Reader reader(RealTables, size_t(16) << 20);
  const std::vector<Result> expected = expectSameAnswers(reader, RealTables, probes, "three men");
  // The comparison means something only if the library answered, with wins and draws alike.
  size_t unanswered = 0, mates = 0, draws = 0;
  for (const Result& r : expected) {
    unanswered += !r.ok;
    mates += r.ok && (r.outcome == gtb::WhiteMates || r.outcome == gtb::BlackMates);
    draws += r.ok && r.outcome == gtb::Draw;
  }
  EXPECT_EQ(unanswered, 0u);
  EXPECT_GT(mates, probes.size() / 3);
  EXPECT_GT(draws, probes.size() / 3);
}
