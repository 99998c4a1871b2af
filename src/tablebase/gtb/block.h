// One compressed block of a ".gtb.cp4" file: a marker byte, a 14-byte header (filter flag,
// five LZMA property bytes, eight bytes no reader relies on), then raw LZMA1 data (without an
// end marker in the published tables), which unpacks to one byte per position. Each byte is
// widened to a distance to mate.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gtb {

constexpr int BlockPositions = 16384;
constexpr size_t MaxPackedBlock = 65536;  // a larger compressed block is a damaged file

// Unpacks `packed` (the whole stored block, marker byte included) into exactly `size` bytes.
// False when the header is not one this reader knows or the data does not give exactly
// `size` bytes.
bool unpackBlock(const uint8_t* packed, size_t packedSize, uint8_t* out, size_t size);

// A widened value: outcome in the low 3 bits (0 draw, 1 white mates, 2 black mates,
// 3 forbidden), plies to mate above them.
using Dtm = uint16_t;
constexpr Dtm dtmOutcome(Dtm v) { return v & 7; }
constexpr int dtmPlies(Dtm v) { return v >> 3; }

// The stored byte of a position with side `stm` (0 white, 1 black) to move, widened.
Dtm widen(int stm, uint8_t stored);

}  // namespace gtb
