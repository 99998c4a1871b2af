// King and pawn against king: one bit per position, set for a draw (or an impossible
// position), clear where the pawn's side wins.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "board/board.h"

constexpr int KpkPositions = 393216;  // white king, black king, side to move, pawn square - 8
constexpr int KpkBytes = KpkPositions / 8;

struct KpkBitbase {
  std::unique_ptr<int8_t[]> work;  // present only while generating
  int32_t impossible = 0;
  int32_t won = 0;
  int32_t drawn = 0;
  int32_t unresolved = 0;
  std::unique_ptr<uint8_t[]> bits;  // KpkBytes, or none
};

// Index of a position with the pawn White's: kings, side to move, pawn square (8..55).
constexpr int kpkIndex(int whiteKing, int blackKing, int side, int pawn) {
  return whiteKing | (blackKing << 6) | (side << 12) | ((pawn - 8) << 13);
}

// Retrograde generation; fills the counters and replaces the bitbase.
void generateKpk(KpkBitbase& kpk);

// +1 the side to move wins, -1 it loses, 0 draw; none without a bitbase. The board must hold
// the two kings and one pawn of either colour.
std::optional<int> probeKpk(const KpkBitbase& kpk, const Board& b);

// Writes the 49152 bytes; false without a bitbase or when the file cannot be fully written.
bool saveKpk(const KpkBitbase& kpk, const char* path);

// The program's own copy, made once; every evaluator starts from it.
const KpkBitbase& builtinKpk();
void copyKpk(KpkBitbase& to, const KpkBitbase& from);
