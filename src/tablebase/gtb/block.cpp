#include "tablebase/gtb/block.h"

#include <lzma.h>

#include <cstring>

namespace gtb {
namespace {

constexpr size_t HeaderSize = 14;

// The five LZMA property bytes: (pb * 5 + lp) * 9 + lc, then the dictionary size.
bool readProperties(const uint8_t* p, lzma_options_lzma& options) {
  int props = p[0];
  if (props >= 9 * 5 * 5) return false;
  std::memset(&options, 0, sizeof options);
  options.lc = uint32_t(props % 9);
  props /= 9;
  options.lp = uint32_t(props % 5);
  options.pb = uint32_t(props / 5);
  options.dict_size = uint32_t(p[1]) | uint32_t(p[2]) << 8 | uint32_t(p[3]) << 16 | uint32_t(p[4]) << 24;
  return true;
}

}  // namespace

bool unpackBlock(const uint8_t* packed, size_t packedSize, uint8_t* out, size_t size) {
  if (packedSize < 1 + HeaderSize || packedSize > MaxPackedBlock || size == 0) return false;
  const uint8_t* header = packed + 1;
  const uint8_t filterFlag = header[0];
  if (filterFlag > 1) return false;

  lzma_options_lzma options;
  if (!readProperties(header + 1, options)) return false;
  // The published tables end their blocks without an end marker, so the decoder is told the
  // unpacked size; it then ends the stream itself (a marker, where there is one, is accepted),
  // which also lets the x86 filter hand over its last bytes. A block never
  // reaches back further than its own length, so a dictionary of that length is enough.
  if (options.dict_size > size) options.dict_size = size < LZMA_DICT_SIZE_MIN ? LZMA_DICT_SIZE_MIN : uint32_t(size);
  options.ext_flags = LZMA_LZMA1EXT_ALLOW_EOPM;
  options.ext_size_low = uint32_t(size);
  options.ext_size_high = 0;

  lzma_filter chain[3];
  int n = 0;
  if (filterFlag == 1) chain[n++] = {LZMA_FILTER_X86, nullptr};
  chain[n++] = {LZMA_FILTER_LZMA1EXT, &options};
  chain[n] = {LZMA_VLI_UNKNOWN, nullptr};

  const uint8_t* data = header + HeaderSize;
  size_t inPos = 0, outPos = 0;
  const lzma_ret ret = lzma_raw_buffer_decode(chain, nullptr, data, &inPos, packedSize - 1 - HeaderSize, out, &outPos, size);
  return ret == LZMA_OK && outPos == size;
}

Dtm widen(int stm, uint8_t stored) {
  if (stored == 0 || stored == 3) return stored;
  const int r = stored & 3, q = stored >> 2;
  int outcome = 0, plies = 0;
  const bool white = stm == 0;
  switch (r) {
    case 1: outcome = 1, plies = white ? 2 * q + 1 : 2 * q; break;
    case 2: outcome = 2, plies = white ? 2 * q : 2 * q + 1; break;
    case 3: outcome = white ? 2 : 1, plies = 2 * q + 126; break;
    default:  // r == 0: the long mates
      if (white) outcome = 1, plies = 2 * q + 127;
      else if (q == 63) outcome = 1, plies = 254;
      else outcome = 2, plies = 2 * q + 127;
      break;
  }
  return Dtm(outcome | plies << 3);
}

}  // namespace gtb
