// velmar's index functions against the format's, for all 145 endings: tables written here whose
// entries tell which slot they sit in, probed at random legal positions by velmar's reader and
// by Debian's library. A slot velmar computes differently reads another value.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <tuple>

#include "tablebase/gtb/block.h"
#include "tablebase/gtb/gtb_support.h"
#include "tablebase/gtb/table_writer.h"

namespace {

using namespace gtbtest;

uint64_t mix(uint64_t x) {
  x *= 0x9e3779b97f4a7c15ull;
  x ^= x >> 29;
  x *= 0xbf58476d1ce4e5b9ull;
  return x ^ (x >> 32);
}

// A slot's entry. It counts up along each run of 256 entries, which keeps blocks quick to
// compress; each run starts from a hash of its place and of the side, so a reader that lands
// on any other slot, or the other side's, reads another value (all 256 are valid entries).
uint8_t storedByte(uint64_t index, int side) { return uint8_t(index + mix((index >> 8) * 2 + uint64_t(side))); }

// For the x86-filtered table: one entry in each run of 32 starts a near call (0xe8, then a
// 32-bit target whose top byte is 0), the pattern the branch filter rewrites before compression.
uint8_t storedByteX86(uint64_t index, int side) {
  const uint64_t at = (index + mix(index >> 5)) & 31;
  return at == 0 ? 0xe8 : at == 4 ? 0x00 : storedByte(index, side);
}

// The piece codes of the ending's white and black men.
std::pair<std::vector<int>, std::vector<int>> materialOf(int ending) {
  std::pair<std::vector<int>, std::vector<int>> m;
  const char* name = gtb::endingName(ending);
  for (const char* c = name; *c; ++c)
    (std::strchr(name + 1, 'k') <= c ? m.second : m.first).push_back(int(std::string("-pnbrqk").find(*c)));
  return m;
}

// The positions after each en passant capture open in `p`, the other side to move.
std::vector<Probe> epCaptures(const Probe& p) {
  std::vector<Probe> out;
  if (p.ep == gtb::NoSquare) return out;
  const int captured = p.ep ^ 8;
  const std::vector<Man>& takers = p.stm == 0 ? p.white : p.black;
  for (size_t i = 0; i < takers.size(); ++i) {
    if (takers[i].pc != gtb::Pawn || rankOf(takers[i].sq) != rankOf(captured) ||
        std::abs(fileOf(takers[i].sq) - fileOf(captured)) != 1)
      continue;
    Probe after = p;
    (after.stm == 0 ? after.white : after.black)[i].sq = p.ep;
    std::erase_if(after.stm == 0 ? after.black : after.white, [&](const Man& m) { return m.sq == captured; });
    after.stm ^= 1;
    after.ep = gtb::NoSquare;
    out.push_back(after);
  }
  return out;
}

// A random legal position with the men of `white` and `black` added to those `p` has, on squares
// outside `taken` (pawns off the first and last ranks), in which every en passant capture open
// leaves the capturer's king safe.
Probe randomPosition(std::mt19937_64& rng, const Probe& start, uint64_t taken, const std::vector<int>& white,
                     const std::vector<int>& black) {
  for (;;) {
    Probe p = start;
    uint64_t used = taken;
    for (int side = 0; side < 2; ++side)
      for (int pc : side == 0 ? white : black) {
        int sq;
        do sq = int(rng() % 64);
        while ((used >> sq & 1) || (pc == gtb::Pawn && (rankOf(sq) == 0 || rankOf(sq) == 7)));
        used |= uint64_t(1) << sq;
        (side == 0 ? p.white : p.black).push_back({sq, pc});
      }
    const auto captures = epCaptures(p);
    if (legal(p) && std::none_of(captures.begin(), captures.end(), [&](const Probe& a) { return inCheck(a, p.stm); }))
      return p;
  }
}

// A position of the ending in which the side not to move has just pushed a pawn two squares,
// next to a pawn of the side to move; false when one of the two has no pawn.
bool randomEpPosition(std::mt19937_64& rng, std::vector<int> white, std::vector<int> black, int stm, Probe& out) {
  std::vector<int>& takers = stm == 0 ? white : black;
  std::vector<int>& pushers = stm == 0 ? black : white;
  const auto taker = std::find(takers.begin(), takers.end(), gtb::Pawn);
  const auto pusher = std::find(pushers.begin(), pushers.end(), gtb::Pawn);
  if (taker == takers.end() || pusher == pushers.end()) return false;
  takers.erase(taker);
  pushers.erase(pusher);
  const int file = int(rng() % 8), forward = stm == 0 ? 8 : -8;
  const int pushed = (stm == 0 ? 32 : 24) + file;
  const int beside = pushed + (file == 0 ? 1 : file == 7 ? -1 : rng() & 1 ? 1 : -1);
  Probe start;
  start.stm = stm;
  start.ep = pushed + forward;
  (stm == 0 ? start.white : start.black).push_back({beside, gtb::Pawn});
  (stm == 0 ? start.black : start.white).push_back({pushed, gtb::Pawn});
  const uint64_t taken = uint64_t(1) << pushed | uint64_t(1) << beside | uint64_t(1) << start.ep |
                         uint64_t(1) << (start.ep + forward);
  out = randomPosition(rng, start, taken, white, black);
  return true;
}

struct Slot {
  int ending, side;
  uint64_t index;
};

// The slots a probe reads, found the way the format's prober goes about it: the ending as the
// men stand, or else with colours swapped and the board mirrored; that position; then each en
// passant capture in the position so turned, probed afresh.
void slotsOf(Probe p, std::vector<Slot>& out) {
  int ending = gtb::endingOf(sideOf(p.white), sideOf(p.black));
  if (ending < 0) {
    if ((ending = gtb::endingOf(sideOf(p.black), sideOf(p.white))) < 0) return;
    std::swap(p.white, p.black);
    for (auto* list : {&p.white, &p.black})
      for (Man& m : *list) m.sq ^= 56;
    p.stm ^= 1;
    if (p.ep != gtb::NoSquare) p.ep ^= 56;
  }
  uint64_t index = 0;
  if (gtb::positionIndex(ending, sideOf(p.white), sideOf(p.black), index)) out.push_back({ending, p.stm, index});
  for (const Probe& after : epCaptures(p)) slotsOf(after, out);
}

// The probes of one comparison; some were made by moving one man of an earlier probe while
// keeping to the blocks it reads.
struct ProbeSet {
  std::vector<Probe> probes;
  std::vector<std::pair<size_t, size_t>> moves;  // (probe, the probe it was moved from)
};

// Writes a table for every ending the probes read, then holds velmar's answers against the
// library's. Blocks with a probed slot are filled from storedByte; every other block holds one
// value drawn from its place: one compression per value, yet a reader in the wrong block shows.
void compareOnSyntheticTables(const ProbeSet& set, const std::string& what, int x86Ending = -1,
                              unsigned* availability = nullptr, unsigned* velmarAvailability = nullptr) {
  std::map<int, std::set<std::pair<int, uint64_t>>> sampled;  // ending -> (side, block)
  std::vector<Slot> slots;
  for (const Probe& p : set.probes) slotsOf(p, slots);
  for (const Slot& s : slots) sampled[s.ending].insert({s.side, s.index / BlockEntries});

  TempDir dir;
  std::map<std::pair<uint64_t, uint8_t>, std::vector<uint8_t>> constant;  // by length and value
  for (const auto& [ending, blocks] : sampled) {
    const uint64_t size = gtb::endingSize(ending);
    const bool x86 = ending == x86Ending;
    const auto file = buildTable(size, [&](int side, uint64_t block) {
      const uint64_t n = blockEntries(size, block);
      if (!blocks.count({side, block})) {
        const uint8_t value = uint8_t(mix(uint64_t(ending) << 32 | block << 1 | uint64_t(side)));
        std::vector<uint8_t>& encoded = constant[{n, value}];
        if (encoded.empty()) encoded = encodeBlock(std::vector<uint8_t>(n, value));
        return encoded;
      }
      std::vector<uint8_t> data(n);
      for (uint64_t i = 0, index = block * BlockEntries; i < n; ++i, ++index)
        data[i] = x86 ? storedByteX86(index, side) : storedByte(index, side);
      return encodeBlock(data, x86);
    });
    ASSERT_TRUE(writeFile(dir.file(std::string(gtb::endingName(ending)) + ".gtb.cp4"), file));
  }

  gtb::Reader reader(dir.path(), size_t(64) << 20);
  if (velmarAvailability) *velmarAvailability = reader.availability();
  const std::vector<Result> expected = expectSameAnswers(reader, dir.path(), set.probes, what, availability);
  if (expected.empty()) return;
  for (const Result& r : expected) EXPECT_TRUE(r.ok) << what;
  // A moved man changes the slot within the block, so the answer should change too; were the
  // blocks filled here not the ones probed, both readers would keep finding one value.
  size_t unchanged = 0;
  for (const auto& [probe, from] : set.moves) unchanged += expected[probe] == expected[from];
  EXPECT_LE(unchanged, set.moves.size() / 10) << what;
}

// Up to `count` legal positions one man's move away from probe `from` whose every slot lies in
// a block that probe reads: more probes at no more compression, over the low parts of the index.
void addMoves(std::mt19937_64& rng, ProbeSet& set, size_t from, int count) {
  const Probe base = set.probes[from];
  std::vector<Slot> slots;
  slotsOf(base, slots);
  std::set<std::tuple<int, int, uint64_t>> blocks;
  for (const Slot& s : slots) blocks.insert({s.ending, s.side, s.index / BlockEntries});
  const size_t men = base.white.size() + base.black.size();
  for (int tries = 0; count > 0 && tries < 50 * count; ++tries) {
    Probe p = base;
    const size_t i = rng() % men;
    Man& moved = i < p.white.size() ? p.white[i] : p.black[i - p.white.size()];
    const int to = int(rng() % 64);
    if (to == moved.sq) continue;
    moved.sq = to;
    if (!legal(p)) continue;
    slots.clear();
    slotsOf(p, slots);
    if (slots.empty() || !std::all_of(slots.begin(), slots.end(), [&](const Slot& s) {
          return blocks.count({s.ending, s.side, s.index / BlockEntries}) > 0;
        }))
      continue;
    set.moves.push_back({set.probes.size(), from});
    set.probes.push_back(p);
    --count;
  }
}

// Random positions of the ending, half of them with the colours swapped (so that the readers
// must mirror), both sides to move, each with ten moved ones; then en passant positions.
void addPositions(ProbeSet& set, int ending, int count, int epCount) {
  std::mt19937_64 rng(uint64_t(ending) * 7919 + 17);
  auto [white, black] = materialOf(ending);
  for (int i = 0; i < count; ++i) {
    Probe start;
    start.stm = (i >> 1) & 1;
    set.probes.push_back(i & 1 ? randomPosition(rng, start, 0, black, white) : randomPosition(rng, start, 0, white, black));
    addMoves(rng, set, set.probes.size() - 1, 10);
  }
  Probe p;
  for (int i = 0; i < epCount && randomEpPosition(rng, i & 1 ? black : white, i & 1 ? white : black, (i >> 1) & 1, p); ++i)
    set.probes.push_back(p);
}

int scaled(int full) { return std::max(4, full * loadShare() / 100); }

}  // namespace

TEST(GtbSyntheticFiles, ThreeAndFourMenMatchReference) {
  VELMAR_NEEDS_ORACLE();
  ProbeSet set;
  for (int e = 0; e < 35; ++e) addPositions(set, e, scaled(300), scaled(200));
  unsigned reference = 0, velmar = 0;
  compareOnSyntheticTables(set, "3 and 4 men", -1, &reference, &velmar);
  EXPECT_EQ(velmar, reference);
  EXPECT_EQ(gtb::maxMenFromAvailability(velmar), 4);
}

TEST(GtbSyntheticFiles, FiveMenMatchReference) {
  VELMAR_NEEDS_ORACLE();
  ASSERT_EQ(gtb::endingName(gtb::EndingCount), nullptr);
  // In batches, so that no more than a quarter of the large files is on disk at once; each batch
  // also writes the four-man tables its en passant captures lead to.
  for (int first = 35; first < gtb::EndingCount; first += 28) {
    ProbeSet set;
    for (int e = first; e < std::min(first + 28, gtb::EndingCount); ++e) addPositions(set, e, scaled(100), scaled(30));
    compareOnSyntheticTables(set, std::string("5 men from ") + gtb::endingName(first));
  }
}

TEST(GtbSyntheticFiles, X86FilteredBlocksDecode) {
  VELMAR_NEEDS_ORACLE();
  // The fixture must give the filter something to rewrite, or a reader ignoring it would pass.
  std::vector<uint8_t> data(BlockEntries);
  for (uint64_t i = 0; i < BlockEntries; ++i) data[i] = storedByteX86(i, 0);
  const std::vector<uint8_t> filtered = encodeBlock(data, true), plain = encodeBlock(data, false);
  EXPECT_FALSE(std::equal(filtered.begin() + 15, filtered.end(), plain.begin() + 15, plain.end()));

  const int ending = gtb::findEnding("krpk");
  ProbeSet set;
  addPositions(set, ending, scaled(100), 0);
  compareOnSyntheticTables(set, "x86-filtered krpk", ending);
}

// A 5-man file of about 3.2 GB: every block the largest a block may be, all but the last one a
// hole of a sparse file. Reading the last block needs file offsets past 2 GiB, which the 32-bit
// build has only with 64-bit offsets.
TEST(GtbSyntheticFiles, BlocksPastTwoGigabytesAreRead) {
  const int ending = gtb::findEnding("kqrpk");
  const uint64_t size = gtb::endingSize(ending), perSide = (size - 1) / BlockEntries + 1;
  // A position, black to move, whose slot lies in the last block.
  std::mt19937_64 rng(3);
  Probe p;
  uint64_t index = 0;
  do {
    Probe start;
    start.stm = 1;
    p = randomPosition(rng, start, 0, {gtb::King, gtb::Queen, gtb::Rook, gtb::Pawn}, {gtb::King});
  } while (!gtb::positionIndex(ending, sideOf(p.white), sideOf(p.black), index) || index / BlockEntries != perSide - 1);

  const std::vector<uint8_t> last = encodeBlock(std::vector<uint8_t>(blockEntries(size, perSide - 1), 0x09));
  std::vector<uint8_t> head(40 + 4 * (2 * perSide + 1));
  put32(head, 32, head.size());
  for (uint64_t k = 0; k < 2 * perSide; ++k) put32(head, 40 + 4 * k, head.size() + k * gtb::MaxPackedBlock);
  const uint64_t lastAt = head.size() + (2 * perSide - 1) * gtb::MaxPackedBlock;
  put32(head, 40 + 4 * 2 * perSide, lastAt + last.size());
  ASSERT_GT(lastAt, uint64_t(1) << 31);

  TempDir dir;
  // The gap between the head and the last block is never written: a sparse file, nearly no disk.
  std::FILE* f = std::fopen(dir.file("kqrpk.gtb.cp4").c_str(), "wb");
  ASSERT_TRUE(f);
  const bool written = std::fwrite(head.data(), 1, head.size(), f) == head.size() &&
                       fseeko(f, off_t(lastAt), SEEK_SET) == 0 &&
                       std::fwrite(last.data(), 1, last.size(), f) == last.size();
  ASSERT_TRUE(std::fclose(f) == 0 && written);
  gtb::Reader reader(dir.path(), size_t(1) << 20);
  // Byte 9 with black to move: white mates in 4 plies.
  EXPECT_EQ(probeVelmar(reader, p), (Result{true, gtb::WhiteMates, 4})) << describe(p);
}
