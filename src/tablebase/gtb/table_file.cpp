#include "tablebase/gtb/table_file.h"

#include "tablebase/gtb/block.h"

namespace gtb {
namespace {

constexpr long HeaderBytes = 40;
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
  if (std::fseek(f, 0, SEEK_END) != 0) return false;
  const long fileSize = std::ftell(f);
  if (fileSize < HeaderBytes || std::fseek(f, 0, SEEK_SET) != 0) return false;

  uint8_t header[HeaderBytes];
  if (std::fread(header, 1, HeaderBytes, f) != size_t(HeaderBytes)) return false;
  const uint32_t dataStart = le32(header + 4 * DataStartWord);
  const uint64_t count = 2 * blocksPerSide(positions) + 1;
  if (dataStart != HeaderBytes + 4 * count || long(dataStart) > fileSize) return false;

  std::vector<uint8_t> raw(4 * count);
  if (std::fread(raw.data(), 1, raw.size(), f) != raw.size()) return false;
  std::vector<uint32_t> table(count);
  for (uint64_t i = 0; i < count; ++i) table[i] = le32(&raw[4 * i]);
  if (table[0] != dataStart || table[count - 1] != uint64_t(fileSize)) return false;
  for (uint64_t i = 0; i + 1 < count; ++i) {
    if (table[i + 1] <= table[i] || table[i + 1] - table[i] > MaxPackedBlock) return false;
  }
  offsets = std::move(table);
  return true;
}

}  // namespace gtb
