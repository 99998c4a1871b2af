// velmar_gtb_oracle: answers tablebase probes with Debian's Gaviota probing library, so that
// the tests can hold velmar's own reader against an implementation it shares no code with.
//
//   velmar_gtb_oracle <path text> [cache bytes]
//
// The path text is handed to the library as it is (directories separated by ';'). Then one
// request per input line, one answer line per request:
//   "<stm> <ep> <sq> <pc> ... | <sq> <pc> ..."  ->  "<ok> <result> <plies>"
// stm 0 white, 1 black; squares 0 = a1 .. 63 = h8, 64 = none; pieces 1 pawn .. 6 king; white's
// men before the bar, black's after; result 0 draw, 1 white mates, 2 black mates, 3 forbidden.
//   "avail"  ->  the library's availability bits
// The library keeps its state in globals and a failed probe shuts an ending out until it is
// restarted, so each set of files gets its own process.
#include <gtb-probe.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int MaxListed = 8;

// Reads "<sq> <pc>" pairs up to the bar or the end of the line into a terminated list.
bool readMen(char*& cursor, unsigned* squares, unsigned char* pieces) {
  int n = 0;
  for (;;) {
    while (*cursor == ' ' || *cursor == '\t') ++cursor;
    if (*cursor == '|') {
      ++cursor;
      break;
    }
    if (*cursor == '\0' || *cursor == '\n' || *cursor == '\r') break;
    char* end = nullptr;
    const long sq = std::strtol(cursor, &end, 10);
    if (end == cursor) return false;
    cursor = end;
    const long pc = std::strtol(cursor, &end, 10);
    if (end == cursor || n == MaxListed || sq < 0 || sq > 63 || pc < 1 || pc > 6) return false;
    cursor = end;
    squares[n] = unsigned(sq);
    pieces[n] = static_cast<unsigned char>(pc);
    ++n;
  }
  squares[n] = tb_NOSQUARE;
  pieces[n] = tb_NOPIECE;
  return n > 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: velmar_gtb_oracle <path text> [cache bytes]\n");
    return 2;
  }
  const size_t cacheBytes = argc > 2 ? size_t(std::strtoull(argv[2], nullptr, 10)) : size_t(32) << 20;

  const char** paths = tbpaths_init();
  paths = tbpaths_add(paths, argv[1]);
  if (paths == nullptr) return 1;
  tb_init(0, tb_CP4, paths);
  // The library reads compressed files only through its cache; without one every probe fails.
  tbcache_init(cacheBytes, 0);
  tbstats_reset();

  static char line[4096];
  while (std::fgets(line, sizeof line, stdin)) {
    if (std::strncmp(line, "avail", 5) == 0) {
      std::printf("%u\n", tb_availability());
      continue;
    }
    char* cursor = line;
    char* end = nullptr;
    const long stm = std::strtol(cursor, &end, 10);
    cursor = end;
    const long ep = std::strtol(cursor, &end, 10);
    cursor = end;
    unsigned ws[MaxListed + 1], bs[MaxListed + 1];
    unsigned char wp[MaxListed + 1], bp[MaxListed + 1];
    unsigned info = tb_FORBID, plies = 0;
    bool ok = (stm == 0 || stm == 1) && ep >= 0 && ep <= 64 && readMen(cursor, ws, wp) && readMen(cursor, bs, bp);
    if (ok) ok = tb_probe_hard(unsigned(stm), unsigned(ep), tb_NOCASTLE, ws, bs, wp, bp, &info, &plies) != 0;
    if (!ok) info = tb_FORBID, plies = 0;
    std::printf("%d %u %u\n", ok ? 1 : 0, info, plies);
  }

  tbcache_done();
  tb_done();
  tbpaths_done(paths);
  return 0;
}
