// Damaged tables: whatever is wrong with one ending's file, probing it answers nothing (no crash,
// no hang) and the other endings keep answering. Also the directories of a path text.
#include <sys/stat.h>

#include <functional>
#include <random>

#include "tablebase/gtb/gtb_support.h"
#include "tablebase/gtb/table_writer.h"

namespace {

using namespace gtbtest;

// White: Ke1 and the piece on d1; Black: Ke8.
Probe kxk(int piece, int stm) { return Probe{stm, gtb::NoSquare, {{4, gtb::King}, {3, piece}}, {{60, gtb::King}}}; }

// A sound table of the ending, every entry alike; `damaged` may hand over any block instead.
std::vector<uint8_t> table(const char* name, const std::function<std::vector<uint8_t>(int, uint64_t, uint64_t)>& damaged = {}) {
  const uint64_t size = gtb::endingSize(gtb::findEnding(name));
  return buildTable(size, [&](int side, uint64_t block) {
    const uint64_t n = blockEntries(size, block);
    std::vector<uint8_t> encoded = damaged ? damaged(side, block, n) : std::vector<uint8_t>{};
    return encoded.empty() ? encodeBlock(std::vector<uint8_t>(n, 0x09)) : encoded;
  });
}

// The damaged kqk file beside a sound krk one: the kqk probe fails, also when repeated, and krk
// still answers.
void expectKqkUnavailable(const std::vector<uint8_t>& kqk, const std::string& what) {
  TempDir dir;
  ASSERT_TRUE(writeFile(dir.file("kqk.gtb.cp4"), kqk) && writeFile(dir.file("krk.gtb.cp4"), table("krk")));
  gtb::Reader reader(dir.path(), size_t(1) << 20);
  for (int round = 0; round < 2; ++round) EXPECT_FALSE(probeVelmar(reader, kxk(gtb::Queen, 0)).ok) << what;
  EXPECT_TRUE(probeVelmar(reader, kxk(gtb::Rook, 0)).ok) << what;
  EXPECT_TRUE(probeVelmar(reader, kxk(gtb::Rook, 1)).ok) << what;
}

}  // namespace

TEST(GtbBadFiles, DamagedBlockTableMakesEndingUnavailable) {
  const std::vector<uint8_t> sound = table("kqk");
  ASSERT_EQ(sound[32], 40 + 4 * 5);  // two blocks a side, then the end
  expectKqkUnavailable({sound.begin(), sound.begin() + 20}, "cut inside the header");
  expectKqkUnavailable({sound.begin(), sound.begin() + long(sound.size() / 2)}, "cut in half");

  std::mt19937 rng(5);
  std::vector<uint8_t> noise(4000);
  for (uint8_t& byte : noise) byte = uint8_t(rng());
  expectKqkUnavailable(noise, "random bytes");

  std::vector<uint8_t> f = sound;
  put32(f, 40 + 4 * 2, f.size() + 1000);
  expectKqkUnavailable(f, "an offset past the end");

  f = sound;
  std::swap_ranges(f.begin() + 44, f.begin() + 48, f.begin() + 48);
  expectKqkUnavailable(f, "offsets out of order");

  f = sound;
  f.insert(f.end(), 7, 0);
  expectKqkUnavailable(f, "bytes after the last block");
}

TEST(GtbBadFiles, UndecodableBlockMakesProbeFail) {
  const Probe probe = kxk(gtb::Queen, 0);
  uint64_t index = 0;
  ASSERT_TRUE(gtb::positionIndex(gtb::findEnding("kqk"), sideOf(probe.white), sideOf(probe.black), index));
  // kqk with the block that probe reads (white to move) made by `make`.
  auto damaged = [&](const std::function<std::vector<uint8_t>(uint64_t n)>& make) {
    return table("kqk", [&](int side, uint64_t block, uint64_t n) {
      return side == 0 && block == index / BlockEntries ? make(n) : std::vector<uint8_t>{};
    });
  };
  auto alike = [](uint64_t n) { return std::vector<uint8_t>(n, 0x09); };
  expectKqkUnavailable(damaged([&](uint64_t n) {
                         std::vector<uint8_t> b = encodeBlock(alike(n));
                         b[1] = 2;
                         return b;
                       }),
                       "filter flag 2");
  expectKqkUnavailable(damaged([&](uint64_t n) { return encodeBlock(alike(n - 100), false, n); }),
                       "100 entries short, full size declared");
  expectKqkUnavailable(damaged([&](uint64_t n) { return encodeBlock(alike(n - 100)); }),
                       "100 entries short, short size declared");
  expectKqkUnavailable(damaged([&](uint64_t n) {
                         std::mt19937 rng(7);
                         std::vector<uint8_t> noise(n);
                         for (uint8_t& byte : noise) byte = uint8_t(rng());
                         std::vector<uint8_t> b = encodeBlock(noise);
                         b.resize(b.size() / 2);
                         return b;
                       }),
                       "compressed data cut in half");
}

TEST(GtbBadFiles, PathListFindsTablesInEveryDirectory) {
  TempDir a, b;
  ASSERT_TRUE(writeFile(a.file("kqk.gtb.cp4"), table("kqk")) && writeFile(b.file("krk.gtb.cp4"), table("krk")));
  gtb::Reader both(a.path() + ";" + b.path(), size_t(1) << 20);
  EXPECT_EQ(both.directories(), (std::vector<std::string>{a.path(), b.path()}));
  EXPECT_TRUE(probeVelmar(both, kxk(gtb::Queen, 0)).ok);
  EXPECT_TRUE(probeVelmar(both, kxk(gtb::Rook, 1)).ok);
  EXPECT_FALSE(probeVelmar(both, kxk(gtb::Bishop, 0)).ok);

  gtb::Reader one(a.path() + ";", size_t(1) << 20);
  EXPECT_EQ(one.directories(), std::vector<std::string>{a.path()});
  EXPECT_TRUE(probeVelmar(one, kxk(gtb::Queen, 0)).ok);
  EXPECT_FALSE(probeVelmar(one, kxk(gtb::Rook, 0)).ok);
}

// Windows keeps its pipes out of the file system: no directory of tables can hold one.
#if !defined(_WIN32)
TEST(GtbBadFiles, PipeNamedLikeATableIsPassedOver) {
  // Opening a pipe waits for a writer; the reader must not even try.
  TempDir dir;
  ASSERT_TRUE(writeFile(dir.file("krk.gtb.cp4"), table("krk")));
  ASSERT_EQ(mkfifo(dir.file("kqk.gtb.cp4").c_str(), 0600), 0);
  gtb::Reader reader(dir.path(), size_t(1) << 20);
  EXPECT_FALSE(probeVelmar(reader, kxk(gtb::Queen, 0)).ok);
  EXPECT_TRUE(probeVelmar(reader, kxk(gtb::Rook, 0)).ok);
}
#endif
