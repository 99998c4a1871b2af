#include "tablebase/gtb/table_file.h"

#include <sys/types.h>

#include "tablebase/gtb/block.h"

static_assert(sizeof(off_t) == 8, "table files are read with 64-bit offsets (_FILE_OFFSET_BITS=64)");

namespace gtb {
namespace {

constexpr size_t HeaderBytes = 40;
constexpr int DataStartWord = 8;

uint32_t le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

}  // namespace

std::string tableFileName(const std::string& directory, const char* ending) {
  std::string name = directory;
  const char last = name.empty() ? 0 : name.back();
  if (!name.empty() && last != '/' && last != '\\' && last != ':') name += '/';
  return name + ending + ".gtb.cp4";
}

bool readBlockTable(std::FILE* f, uint64_t positions, std::vector<uint32_t>& offsets) {
  offsets.clear();
  // 64-bit offsets (off_t), so that the 32-bit build reads files past 2 GiB.
  if (fseeko(f, 0, SEEK_END) != 0) return false;
  const off_t fileSize = ftello(f);
  if (fileSize < off_t(HeaderBytes) || fseeko(f, 0, SEEK_SET) != 0) return false;

  uint8_t header[HeaderBytes];
  if (std::fread(header, 1, HeaderBytes, f) != HeaderBytes) return false;
  const uint32_t dataStart = le32(header + 4 * DataStartWord);
  const uint64_t count = 2 * blocksPerSide(positions) + 1;
  if (dataStart != HeaderBytes + 4 * count || off_t(dataStart) > fileSize) return false;

  std::vector<uint8_t> raw(size_t(4 * count));
  if (std::fread(raw.data(), 1, raw.size(), f) != raw.size()) return false;
  std::vector<uint32_t> table(static_cast<size_t>(count));
  for (uint64_t i = 0; i < count; ++i) table[i] = le32(&raw[4 * i]);
  if (table[0] != dataStart || table[count - 1] != uint64_t(fileSize)) return false;
  for (uint64_t i = 0; i + 1 < count; ++i) {
    if (table[i + 1] <= table[i] || table[i + 1] - table[i] > MaxPackedBlock) return false;
  }
  offsets = std::move(table);
  return true;
}

}  // namespace gtb
