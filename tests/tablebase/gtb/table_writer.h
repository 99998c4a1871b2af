// Writes ".gtb.cp4" tables for the reader tests: the real files' layout (a header of ten 32-bit
// words, the block offsets, then each side's blocks of 16384 entries, white to move first), each
// block LZMA-compressed the way the format stores it.
#pragma once

#include <lzma.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace gtbtest {

constexpr uint64_t BlockEntries = 16384;

inline void put32(std::vector<uint8_t>& bytes, size_t at, uint64_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = uint8_t(value >> (8 * i));
}

// A block as stored: a marker byte, then the filter flag (1 when the x86 branch filter ran
// before compression), the LZMA properties byte and 4 KiB dictionary size, the unpacked size
// (declaredSize, normally the data's), then raw LZMA data ended by an end-of-payload marker.
inline std::vector<uint8_t> encodeBlock(const std::vector<uint8_t>& data, bool x86 = false,
                                        uint64_t declaredSize = UINT64_MAX) {
  lzma_options_lzma options;
  lzma_lzma_preset(&options, 0);
  options.dict_size = 4096;
  options.lc = 3, options.lp = 0, options.pb = 2;
  lzma_filter filters[3] = {{LZMA_FILTER_X86, nullptr}, {LZMA_FILTER_LZMA1, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
  const lzma_filter* chain = x86 ? filters : filters + 1;
  const size_t headerBytes = 15;
  std::vector<uint8_t> out(headerBytes + data.size() + data.size() / 2 + 1024);
  size_t used = headerBytes;
  if (lzma_raw_buffer_encode(chain, nullptr, data.data(), data.size(), out.data(), &used, out.size()) != LZMA_OK)
    return {};
  out.resize(used);
  const uint64_t size = declaredSize == UINT64_MAX ? data.size() : declaredSize;
  const uint8_t header[headerBytes] = {0, uint8_t(x86 ? 1 : 0), 0x5d, 0x00, 0x10, 0x00, 0x00};
  std::copy(header, header + 7, out.begin());
  for (int i = 0; i < 8; ++i) out[7 + i] = uint8_t(size >> (8 * i));
  return out;
}

// Entries in block `block` of a side of an ending with `size` positions a side.
inline uint64_t blockEntries(uint64_t size, uint64_t block) {
  return std::min(BlockEntries, size - block * BlockEntries);
}

// The whole file of an ending with `size` positions a side; blockOf(side, block) gives each
// encoded block.
template <class BlockOf>
std::vector<uint8_t> buildTable(uint64_t size, BlockOf&& blockOf) {
  const uint64_t perSide = (size - 1) / BlockEntries + 1;
  const uint64_t blocks = 2 * perSide;
  std::vector<uint8_t> file(40 + 4 * (blocks + 1));
  put32(file, 8, BlockEntries);
  put32(file, 32, file.size());
  for (uint64_t k = 0; k < blocks; ++k) {
    put32(file, 40 + 4 * k, file.size());
    const std::vector<uint8_t> block = blockOf(int(k / perSide), k % perSide);
    file.insert(file.end(), block.begin(), block.end());
  }
  put32(file, 40 + 4 * blocks, file.size());
  return file;
}

inline bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(out);
}

}  // namespace gtbtest
