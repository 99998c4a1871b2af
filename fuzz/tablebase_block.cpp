// The tablebase reader on damaged block data: the input is the compressed data of the blocks of
// a "kqk" table (the first two bytes, little-endian, give the length of the first block; the
// second block is the rest), put
// into a file with a sound header and block table. Probes answer or fail; they never fault.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tablebase/gtb/endings.h"
#include "tablebase/gtb/reader.h"

namespace {

void put32(std::vector<uint8_t>& bytes, size_t at, uint64_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = uint8_t(value >> (8 * i));
}

// Header, then the offsets of four blocks (two a side) and of the end, then the blocks.
std::vector<uint8_t> tableFile(const uint8_t* first, size_t firstSize, const uint8_t* second, size_t secondSize) {
  std::vector<uint8_t> file(40 + 4 * 5);
  put32(file, 8, 16384);
  put32(file, 32, file.size());
  for (int k = 0; k < 4; ++k) {
    put32(file, 40 + 4 * k, file.size());
    if (k % 2 == 0)
      file.insert(file.end(), first, first + firstSize);
    else
      file.insert(file.end(), second, second + secondSize);
  }
  put32(file, 40 + 4 * 4, file.size());
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dir = [] {
    std::string pattern = (std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + std::string("/velmar-fuzz-XXXXXX");
    return std::string(mkdtemp(pattern.data()) ? pattern : ".");
  }();
  if (size < 2) return 0;
  const size_t firstSize = std::min<size_t>(size - 2, data[0] | size_t(data[1]) << 8);
  const uint8_t* first = data + 2;
  const std::vector<uint8_t> file = tableFile(first, firstSize, first + firstSize, size - 2 - firstSize);
  const std::string path = dir + "/kqk.gtb.cp4";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  std::fwrite(file.data(), 1, file.size(), f);
  std::fclose(f);

  gtb::Reader reader(dir, size_t(1) << 18);  // two blocks: probes also replace cached ones
  // White king, queen and black king on squares spread over both blocks, both sides to move.
  for (int i = 0; i < 8; ++i) {
    const int wk = (i * 9) % 64, wq = (i * 23 + 7) % 64, bk = (i * 37 + 40) % 64;
    const int white[] = {wk, wq, gtb::NoSquare}, black[] = {bk, gtb::NoSquare};
    const int whitePieces[] = {gtb::King, gtb::Queen, gtb::NoPiece}, blackPieces[] = {gtb::King, gtb::NoPiece};
    for (int stm = 0; stm < 2; ++stm) {
      gtb::Answer answer;
      if (reader.probe(stm, gtb::NoSquare, white, black, whitePieces, blackPieces, answer) &&
          (answer.outcome < gtb::Draw || answer.outcome > gtb::Forbidden || answer.plies < 0))
        std::abort();
    }
  }
  return 0;
}
