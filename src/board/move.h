// The generator's move: four bytes, compared by from, to and promotion only.
#pragma once

#include <bit>

#include "board/types.h"

constexpr uint8_t MoveCapture = 1;
constexpr uint8_t MoveCastle = 2;
constexpr uint8_t MoveCastleLong = 4;  // always with MoveCastle
constexpr uint8_t MoveEnPassant = 8;   // always with MoveCapture
constexpr uint8_t MoveGoodCapture = 16;  // exchange value >= 0

struct Move {
  uint8_t from = 0;
  uint8_t to = 0;
  uint8_t promotion = 0;  // 2..5, 0 for none
  uint8_t flags = 0;
};
static_assert(sizeof(Move) == 4);

constexpr bool moveEqual(Move a, Move b) {
  return a.from == b.from && a.to == b.to && a.promotion == b.promotion;
}
constexpr bool isCapture(Move m) { return m.flags & MoveCapture; }
constexpr bool isCastle(Move m) { return m.flags & MoveCastle; }
constexpr bool isEnPassant(Move m) { return m.flags & MoveEnPassant; }
constexpr bool isNullMove(Move m) { return m.from == 0 && m.to == 0; }
constexpr uint16_t packMove(Move m) { return uint16_t(m.from | (m.to << 6) | ((m.promotion & 7) << 12)); }

// The 32-bit word form kept by the transposition table and the search.
constexpr uint32_t moveWord(Move m) { return std::bit_cast<uint32_t>(m); }
constexpr Move wordMove(uint32_t w) { return std::bit_cast<Move>(w); }

constexpr int MaxMoves = 256;
