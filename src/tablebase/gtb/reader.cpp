#include "tablebase/gtb/reader.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>

#include <sys/types.h>

#include "tablebase/gtb/block.h"
#include "tablebase/gtb/block_cache.h"
#include "tablebase/gtb/endings.h"
#include "tablebase/gtb/table_file.h"

namespace gtb {
namespace {

constexpr int MaxOpenFiles = 4;
constexpr size_t UnitBytes = BlockPositions * sizeof(Dtm);

// The endings of 3, 4 and 5 men are consecutive runs of the table.
constexpr int GroupStart[] = {0, 5, 35, EndingCount};

size_t cacheUnits(size_t cacheBytes) {
  // A quarter of the cache holds distances to mate (the rest would hold win-draw-loss data,
  // which velmar never asks for).
  const size_t dtmBytes = cacheBytes / 128 * 32;
  return std::max<size_t>(1, dtmBytes / UnitBytes);
}

// How good `v` is for the side to move: a win beats a draw beats a loss, a quicker win and a
// slower loss are better, and a forbidden position is worth nothing.
long rankFor(int stm, Dtm v) {
  const int outcome = dtmOutcome(v);
  if (outcome == Forbidden) return LONG_MIN;
  if (outcome == Draw) return 0;
  const bool wins = (outcome == WhiteMates) == (stm == 0);
  return wins ? 100000 - dtmPlies(v) : -100000 + dtmPlies(v);
}

Dtm onePlyLonger(Dtm v) {
  const int outcome = dtmOutcome(v);
  return outcome == WhiteMates || outcome == BlackMates ? Dtm(v + (1 << 3)) : v;
}

bool kingsApart(int a, int b) { return std::abs((a & 7) - (b & 7)) > 1 || std::abs((a >> 3) - (b >> 3)) > 1; }

void removeMan(Side& side, int at) {
  for (int i = at; i + 1 < side.count; ++i) {
    side.sq[i] = side.sq[i + 1];
    side.pc[i] = side.pc[i + 1];
  }
  --side.count;
  side.sq[side.count] = NoSquare;
  side.pc[side.count] = NoPiece;
}

bool readList(const int* squares, const int* pieces, Side& side) {
  side.count = 0;
  for (int i = 0; squares[i] != NoSquare; ++i) {
    if (i >= MaxMen || squares[i] < 0 || squares[i] > 63 || pieces[i] < Pawn || pieces[i] > King) return false;
    side.sq[i] = squares[i];
    side.pc[i] = pieces[i];
    side.count = i + 1;
  }
  return side.count > 0;
}

}  // namespace

int maxMenFromAvailability(unsigned bits) {
  if (bits & (1u << 5)) return 5;
  if (bits & (1u << 3)) return 4;
  if (bits & (1u << 1)) return 3;
  return 0;
}

std::vector<std::string> splitPathList(const std::string& text) {
  std::vector<std::string> dirs;
  size_t from = 0;
  while (from <= text.size()) {
    const size_t to = std::min(text.find(';', from), text.size());
    if (to > from) dirs.push_back(text.substr(from, to - from));
    from = to + 1;
  }
  return dirs;
}

struct Reader::State {
  std::vector<std::string> dirs;
  TableFile files[EndingCount];
  int openOrder[MaxOpenFiles] = {};  // earliest opened first
  int openCount = 0;
  BlockCache cache;
  std::vector<uint8_t> packed = std::vector<uint8_t>(MaxPackedBlock);
  std::vector<uint8_t> unpacked = std::vector<uint8_t>(BlockPositions);
  unsigned availability = 0;
  ReaderStats stats;
  mutable std::mutex lock;

  explicit State(size_t units) : cache(units) {}
  ~State() {
    for (TableFile& f : files)
      if (f.handle) std::fclose(f.handle);
  }

  void close(int ending) {
    TableFile& f = files[ending];
    if (!f.handle) return;
    std::fclose(f.handle);
    f.handle = nullptr;
    int* end = std::remove(openOrder, openOrder + openCount, ending);
    openCount = int(end - openOrder);
  }

  // Finds the ending's file, starting in the directory where it was last found.
  bool open(int ending) {
    TableFile& f = files[ending];
    if (f.handle) return true;
    if (dirs.empty()) return false;
    if (openCount == MaxOpenFiles) close(openOrder[0]);
    const int n = int(dirs.size());
    for (int k = 0; k < n; ++k) {
      const int d = (f.directory + k) % n;
      const std::string name = tableFileName(dirs[size_t(d)], endingName(ending));
      // Only plain files: opening a pipe or a device of that name could wait forever.
      std::error_code error;
      if (!std::filesystem::is_regular_file(name, error)) continue;
      if (std::FILE* handle = std::fopen(name.c_str(), "rb")) {
        f.handle = handle;
        f.directory = d;
        openOrder[openCount++] = ending;
        return true;
      }
    }
    return false;
  }

  // Returns whether the file was found at all.
  bool load(int ending) {
    TableFile& f = files[ending];
    f.size = endingSize(ending);
    const bool found = open(ending);
    const bool ok = found && readBlockTable(f.handle, f.size, f.offsets);
    f.state = ok ? FileState::Ready : FileState::Failed;
    if (!ok) close(ending);
    return found;
  }

  const Dtm* decode(int ending, uint32_t block, int stm) {
    TableFile& f = files[ending];
    const uint64_t perSide = blocksPerSide(f.size);
    const uint64_t first = (block - uint64_t(stm) * perSide) * BlockPositions;
    const size_t n = size_t(std::min<uint64_t>(BlockPositions, f.size - first));
    const uint32_t from = f.offsets[block], length = f.offsets[block + 1] - from;
    if (!open(ending) || fseeko(f.handle, off_t(from), SEEK_SET) != 0 ||
        std::fread(packed.data(), 1, length, f.handle) != length || !unpackBlock(packed.data(), length, unpacked.data(), n))
      return nullptr;
    Dtm* values = cache.claim(ending, block);
    for (size_t i = 0; i < n; ++i) values[i] = widen(stm, unpacked[i]);
    ++stats.blocksDecoded;
    stats.bytesRead += length;
    return values;
  }

  // The stored value of a position of `ending` as the sides stand. False: no answer.
  bool lookup(int ending, int stm, const Side& white, const Side& black, Dtm& value) {
    TableFile& f = files[ending];
    if (f.state != FileState::Ready) return false;
    uint64_t index = 0;
    if (!positionIndex(ending, white, black, index)) {
      value = Forbidden;
      return true;
    }
    if (index >= f.size) return false;
    const uint32_t block = uint32_t(uint64_t(stm) * blocksPerSide(f.size) + index / BlockPositions);
    const Dtm* values = cache.find(ending, block);
    if (values) {
      ++stats.cacheHits;
    } else if (!(values = decode(ending, block, stm))) {
      // A file that cannot be read back or a block that does not unpack: the ending is damaged.
      f.state = FileState::Failed;
      close(ending);
      return false;
    }
    ++stats.probes;
    value = values[index % BlockPositions];
    return true;
  }

  bool probe(int stm, int ep, Side white, Side black, Dtm& value) {
    if (white.count == 1 && black.count == 1) {
      // Two bare kings need no file.
      if (white.pc[0] != King || black.pc[0] != King) return false;
      value = kingsApart(white.sq[0], black.sq[0]) ? Draw : Forbidden;
      return true;
    }
    if (white.count + black.count > MaxMen) return false;
    sortSide(white);
    sortSide(black);
    int ending = endingOf(white, black);
    const bool mirrored = ending < 0;
    if (mirrored) {
      // Stored with the colours the other way round: swap them and turn the board over.
      ending = endingOf(black, white);
      if (ending < 0) return false;
      std::swap(white, black);
      for (Side* side : {&white, &black})
        for (int i = 0; i < side->count; ++i) side->sq[i] ^= 56;
      stm ^= 1;
      if (ep != NoSquare) ep ^= 56;
    }
    if (!lookup(ending, stm, white, black, value)) return false;
    if (ep != NoSquare && !tryEnPassant(stm, ep, white, black, value)) return false;
    if (mirrored && (dtmOutcome(value) == WhiteMates || dtmOutcome(value) == BlackMates)) value ^= 3;
    return true;
  }

  // The tables know nothing of en passant: play each capture, probe the result one ply
  // further on, and keep what is best for the side to move.
  bool tryEnPassant(int stm, int ep, const Side& white, const Side& black, Dtm& value) {
    const int captured = ep ^ 8;
    const Side& mover = stm == 0 ? white : black;
    const Side& victim = stm == 0 ? black : white;
    int at = -1;
    for (int i = 0; i < victim.count; ++i)
      if (victim.sq[i] == captured && victim.pc[i] == Pawn) at = i;
    if (at < 0) return true;
    for (int i = 0; i < mover.count; ++i) {
      const int from = mover.sq[i];
      if (mover.pc[i] != Pawn || (from >> 3) != (captured >> 3) || std::abs((from & 7) - (captured & 7)) != 1) continue;
      Side w = white, b = black;
      (stm == 0 ? w : b).sq[i] = ep;
      removeMan(stm == 0 ? b : w, at);
      Dtm after = Forbidden;
      if (!probe(stm ^ 1, NoSquare, w, b, after)) return false;
      after = onePlyLonger(after);
      if (rankFor(stm, after) > rankFor(stm, value)) value = after;
    }
    return true;
  }
};

Reader::Reader(const std::string& pathText, size_t cacheBytes) : s(std::make_unique<State>(cacheUnits(cacheBytes))) {
  s->dirs = splitPathList(pathText);
  // Every ending's file is looked for now, and its block table read and checked, so that a
  // damaged file is known before the first probe. A group counts as complete when its last
  // ending is in order.
  for (int group = 0; group < 3; ++group) {
    bool found = false, complete = false;
    for (int e = GroupStart[group]; e < GroupStart[group + 1]; ++e) {
      found = s->load(e) || found;
      complete = s->files[e].state == FileState::Ready;
    }
    if (found) s->availability |= 1u << (2 * group);
    if (complete) s->availability |= 1u << (2 * group + 1);
  }
}

Reader::~Reader() = default;

unsigned Reader::availability() const { return s->availability; }

const std::vector<std::string>& Reader::directories() const { return s->dirs; }

bool Reader::probe(int stm, int epSquare, const int* whiteSquares, const int* blackSquares, const int* whitePieces,
                   const int* blackPieces, Answer& answer) {
  Side white, black;
  if ((stm != 0 && stm != 1) || !readList(whiteSquares, whitePieces, white) || !readList(blackSquares, blackPieces, black))
    return false;
  if (epSquare != NoSquare && (epSquare < 0 || epSquare > 63)) return false;
  for (int i = white.count; i <= MaxMen; ++i) white.sq[i] = NoSquare, white.pc[i] = NoPiece;
  for (int i = black.count; i <= MaxMen; ++i) black.sq[i] = NoSquare, black.pc[i] = NoPiece;

  std::lock_guard<std::mutex> guard(s->lock);
  Dtm value = Forbidden;
  if (!s->probe(stm, epSquare, white, black, value)) return false;
  answer.outcome = dtmOutcome(value);
  answer.plies = dtmPlies(value);
  return true;
}

ReaderStats Reader::stats() const {
  std::lock_guard<std::mutex> guard(s->lock);
  return s->stats;
}

void Reader::resetStats() {
  std::lock_guard<std::mutex> guard(s->lock);
  s->stats = {};
}

}  // namespace gtb
