// Sizes the memory cannot give: the hash table and the tablebase cache take the largest half,
// quarter... that can be had, and the options say so. Runs in a child process whose
// memory is cut to about 200 MB more than it uses: by an address-space limit in the 64-bit
// build, by filling the address space in the 32-bit build (an emulator may not apply limits).
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "frontend/options.h"
#include "frontend/settings.h"
#include "frontend/tokens.h"
#include "search/context.h"
#include "search/thread.h"
#include "search/tt.h"

namespace {

constexpr size_t Spare = size_t(200) << 20;

void leaveOnlySpareMemory() {
  if (sizeof(void*) == 4) {
    constexpr size_t Chunk = size_t(16) << 20;
    void* chunks[256];
    int n = 0;
    while (n < 256) {
      void* p = mmap(nullptr, Chunk, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
      if (p == MAP_FAILED) break;
      chunks[n++] = p;
    }
    for (int i = 0; i < int(Spare / Chunk) && i < n; ++i) munmap(chunks[i], Chunk);
  } else {
    size_t pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t limit = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + Spare;
    const rlimit r{limit, limit};
    setrlimit(RLIMIT_AS, &r);
  }
}

// In the child: 0 when every check holds, otherwise the number of the first that failed.
int shrinkUnderTheLimit() {
  ThinkThread engine;  // not started: the options act on its context at once
  SearchContext& g = engine.context();
  g.silent = true;
  leaveOnlySpareMemory();

  EngineSettings settings;
  settings.tablebasePath = "/usr/share/gaviotatb/gtb4";  // Debian's gaviotatb
  settings.tablebaseCacheMb = 1024;                     // a 256 MB block cache
  testing::internal::CaptureStdout();
  const bool opened = openTablebases(g, settings);
  const std::string said = testing::internal::GetCapturedStdout();
  if (!opened || g.tbMaxMen != 3) return 1;
  if (said.rfind("info string GTB cache of 1024 MB cannot be had, size set to ", 0) != 0) return 2;
  g.tablebases.reset();

  testing::internal::CaptureStdout();
  setOptionCommand(engine, settings, tokenize("setoption name Hash value 1024"));
  const std::string reply = testing::internal::GetCapturedStdout();
  const std::string expected = "info string Hash table of 1024 MB cannot be had, size set to ";
  const int had = std::atoi(reply.c_str() + expected.size());
  if (reply.rfind(expected, 0) != 0 || reply != expected + std::to_string(had) + " MB\n") return 3;
  if (had < 1 || had >= 1024 || g.tt.megabytes() != had || g.tt.bucketCount() != uint32_t(had) * 16384) return 4;
  g.tt.store(0x123456789abcdefull, 0, 5, BoundExact, 42, Move{});
  const TTEntry* e = g.tt.probe(0x123456789abcdefull);
  return e && e->score == 42 ? 0 : 5;
}

}  // namespace

TEST(MemoryLimit, HashAndTablebaseCacheShrinkToWhatCanBeHad) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "the sanitizers reserve their own address space";
#endif
#if defined(VELMAR_TESTS_EMULATED)
  // qemu keeps an address-space limit to itself; the 32-bit build fills its address space instead.
  if (sizeof(void*) == 8) GTEST_SKIP() << "an emulator ignores address-space limits";
#endif
  EXPECT_EXIT(std::_Exit(shrinkUnderTheLimit()), testing::ExitedWithCode(0), "");
}

TEST(MemoryLimit, SizesBeyondTheAddressSpaceAreRefused) {
  TranspositionTable tt;
  ASSERT_TRUE(tt.resize(1));
  EXPECT_FALSE(tt.resize(262144));  // 2^32 buckets: more than the table counts
  if (sizeof(size_t) == 4) {
    EXPECT_FALSE(tt.resize(4096));  // 4 GB: more than 32 bits address
  }
  // The table stays as it was.
  EXPECT_EQ(tt.bucketCount(), 16384u);
}
