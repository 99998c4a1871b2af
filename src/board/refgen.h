// The reference move generator: a mailbox generator written apart from the bitboard code so
// that each cross-checks the other. It must never call the attack tables, the bitboard
// generator or the exchange evaluator.
#pragma once

#include <string>

#include "board/oldboard.h"

// PackedMove: from | to << 6 | promotion << 12.
using PackedMove = uint16_t;

constexpr PackedMove packMove(int from, int to, int promotion) {
  return PackedMove(from | (to << 6) | ((promotion & 7) << 12));
}
constexpr int packedFrom(PackedMove m) { return m & 63; }
constexpr int packedTo(PackedMove m) { return (m >> 6) & 63; }
constexpr int packedPromotion(PackedMove m) { return (m >> 12) & 7; }

// Reference move flags.
constexpr uint8_t RefCapture = 1;
constexpr uint8_t RefCastle = 2;
constexpr uint8_t RefCastleLong = 4;
constexpr uint8_t RefEnPassant = 8;

struct RefMove {
  PackedMove packed;
  uint8_t flags;
  uint8_t marks;  // private to the reference generator and its make-move
};

constexpr int MaxRefMoves = 256;

// All legal moves of `side`; out must hold MaxRefMoves entries.
int generateMovesOld(const OldBoard& ob, int side, RefMove* out);

// Plays a move from generateMovesOld on the reference board (the owner toggles its side).
void makeMoveOld(OldBoard& ob, int side, RefMove move);

// Is square sq attacked by a piece of colour `by`, from the mailbox alone.
bool oldSquareAttacked(const OldBoard& ob, int sq, int by);

// Standard algebraic notation of a reference move.
std::string oldMoveToSan(const OldBoard& ob, int side, RefMove move);

// "e2e4", "e7e8q": the UCI text of a packed move.
std::string packedToUci(PackedMove m);
