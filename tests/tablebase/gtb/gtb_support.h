// Shared by the tablebase reader tests: positions in the format's numbering, a legality test of
// their own, and probes answered by velmar's reader and by Debian's Gaviota library (through
// velmar_gtb_oracle, one process per set of files: the library's state outlives a restart).
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "tablebase/gtb/endings.h"
#include "tablebase/gtb/reader.h"
#include "temp_dir.h"

namespace gtbtest {

struct Man {
  int sq, pc;
};

// Squares 0 = a1 .. 63 = h8, each side's men in any order.
struct Probe {
  int stm = 0;
  int ep = gtb::NoSquare;
  std::vector<Man> white, black;
};

struct Result {
  bool ok = false;
  int outcome = gtb::Forbidden, plies = 0;
  bool operator==(const Result& o) const { return ok == o.ok && (!ok || (outcome == o.outcome && plies == o.plies)); }
};

inline std::string text(const Result& r) {
  return "ok " + std::to_string(r.ok) + " outcome " + std::to_string(r.outcome) + " plies " + std::to_string(r.plies);
}
inline void PrintTo(const Result& r, std::ostream* out) { *out << text(r); }

inline int fileOf(int sq) { return sq & 7; }
inline int rankOf(int sq) { return sq >> 3; }

// Whether a man of `side` (0 white) on `from` attacks `to`; worked out from file and rank
// distances, so no wrap-around can creep in.
inline bool attacks(int pc, int side, int from, int to, uint64_t occupied) {
  const int df = fileOf(to) - fileOf(from), dr = rankOf(to) - rankOf(from);
  const int adf = std::abs(df), adr = std::abs(dr);
  const bool diagonal = adf == adr && adf > 0, straight = (df == 0) != (dr == 0);
  if (pc == gtb::Pawn) return adf == 1 && dr == (side == 0 ? 1 : -1);
  if (pc == gtb::Knight) return adf * adr == 2;
  if (pc == gtb::King) return std::max(adf, adr) == 1;
  if (!(pc == gtb::Bishop ? diagonal : pc == gtb::Rook ? straight : diagonal || straight)) return false;
  const int step = (df > 0) - (df < 0) + 8 * ((dr > 0) - (dr < 0));
  for (int s = from + step; s != to; s += step)
    if (occupied >> s & 1) return false;
  return true;
}

inline bool inCheck(const Probe& p, int side) {
  uint64_t occupied = 0;
  for (const Man& m : p.white) occupied |= uint64_t(1) << m.sq;
  for (const Man& m : p.black) occupied |= uint64_t(1) << m.sq;
  for (const Man& k : side == 0 ? p.white : p.black)
    for (const Man& m : side == 0 ? p.black : p.white)
      if (k.pc == gtb::King && attacks(m.pc, 1 - side, m.sq, k.sq, occupied)) return true;
  return false;
}

// Men on distinct squares, no pawn on its first or last rank, the side not to move not in check
// (which also keeps the kings apart).
inline bool legal(const Probe& p) {
  uint64_t seen = 0;
  for (const auto* list : {&p.white, &p.black})
    for (const Man& m : *list) {
      if (m.sq < 0 || m.sq > 63 || (seen >> m.sq & 1)) return false;
      if (m.pc == gtb::Pawn && (rankOf(m.sq) == 0 || rankOf(m.sq) == 7)) return false;
      seen |= uint64_t(1) << m.sq;
    }
  return !inCheck(p, 1 - p.stm);
}

inline std::string describe(const Probe& p) {
  std::string text = std::string(p.stm == 0 ? "white" : "black") + " to move, ep " + std::to_string(p.ep);
  for (const auto* list : {&p.white, &p.black}) {
    text += list == &p.white ? ", white" : ", black";
    for (const Man& m : *list) text += {' ', "-pnbrqk"[m.pc], char('a' + fileOf(m.sq)), char('1' + rankOf(m.sq))};
  }
  return text;
}

inline gtb::Side sideOf(const std::vector<Man>& men) {
  gtb::Side s;
  s.count = int(men.size());
  for (int i = 0; i <= gtb::MaxMen; ++i) {
    s.sq[i] = i < s.count ? men[size_t(i)].sq : gtb::NoSquare;
    s.pc[i] = i < s.count ? men[size_t(i)].pc : gtb::NoPiece;
  }
  gtb::sortSide(s);
  return s;
}

inline Result probeVelmar(gtb::Reader& reader, const Probe& p) {
  int sq[2][gtb::MaxMen + 2], pc[2][gtb::MaxMen + 2];
  for (int side = 0; side < 2; ++side) {
    const std::vector<Man>& men = side == 0 ? p.white : p.black;
    for (size_t i = 0; i <= men.size(); ++i) {
      sq[side][i] = i < men.size() ? men[i].sq : gtb::NoSquare;
      pc[side][i] = i < men.size() ? men[i].pc : gtb::NoPiece;
    }
  }
  gtb::Answer a;
  const bool ok = reader.probe(p.stm, p.ep, sq[0], sq[1], pc[0], pc[1], a);
  return {ok, a.outcome, a.plies};
}

// The library's answers come from a Linux program, which a Windows test program cannot start
// with its paths; a Windows build's reader is held to the library by the Linux builds' tests,
// which run the same reader code, and here by its other tests.
#if defined(_WIN32)
#define VELMAR_NEEDS_ORACLE() GTEST_SKIP() << "Debian's tablebase library is a Linux program"
#else
#define VELMAR_NEEDS_ORACLE() (void)0
#endif

// The library's answers in order (fewer when the oracle failed); its availability bits go to
// *availability when asked for.
inline std::vector<Result> probeOracle(const std::string& pathText, const std::vector<Probe>& probes,
                                       unsigned* availability = nullptr) {
  std::string text = availability ? "avail\n" : "";
  for (const Probe& p : probes) {
    text += std::to_string(p.stm) + ' ' + std::to_string(p.ep);
    for (const Man& m : p.white) text += ' ' + std::to_string(m.sq) + ' ' + std::to_string(m.pc);
    text += " |";
    for (const Man& m : p.black) text += ' ' + std::to_string(m.sq) + ' ' + std::to_string(m.pc);
    text += '\n';
  }
  char requests[] = "/tmp/velmar-gtb-requests-XXXXXX";
  const int fd = mkstemp(requests);
  std::vector<Result> results;
  if (fd < 0) return results;
  const bool written = write(fd, text.data(), text.size()) == ssize_t(text.size());
  close(fd);
  const std::string command = std::string(VELMAR_GTB_ORACLE) + " '" + pathText + "' < " + requests;
  if (std::FILE* pipe = written ? popen(command.c_str(), "r") : nullptr) {
    if (availability && std::fscanf(pipe, "%u", availability) != 1) *availability = ~0u;
    int ok, outcome, plies;
    while (std::fscanf(pipe, "%d %d %d", &ok, &outcome, &plies) == 3) results.push_back({ok != 0, outcome, plies});
    pclose(pipe);
  }
  unlink(requests);
  return results;
}

// Holds velmar's answers against the library's, reporting the first few differences in full;
// returns the library's answers (none when the oracle failed).
inline std::vector<Result> expectSameAnswers(gtb::Reader& reader, const std::string& pathText,
                                             const std::vector<Probe>& probes, const std::string& what,
                                             unsigned* availability = nullptr) {
  std::vector<Result> expected = probeOracle(pathText, probes, availability);
  if (expected.size() != probes.size()) {
    ADD_FAILURE() << what << ": the oracle answered " << expected.size() << " of " << probes.size() << " probes";
    return {};
  }
  size_t differences = 0;
  for (size_t i = 0; i < probes.size(); ++i) {
    const Result got = probeVelmar(reader, probes[i]);
    if (!(got == expected[i]) && ++differences <= 10)
      ADD_FAILURE() << what << ": " << describe(probes[i]) << "\n  reference " << text(expected[i]) << "\n  velmar    "
                    << text(got);
  }
  EXPECT_EQ(differences, 0u) << what << ": of " << probes.size() << " probes";
  return expected;
}

// Percent of the full load to run: all of it in optimised builds, a tenth in the debug and
// sanitizer builds; VELMAR_GTB_SHARE overrides.
inline int loadShare() {
  if (const char* env = std::getenv("VELMAR_GTB_SHARE")) return std::clamp(std::atoi(env), 1, 100);
#ifdef NDEBUG
  return 100;
#else
  return 10;
#endif
}

using TempDir = ::TempDir;

}  // namespace gtbtest
