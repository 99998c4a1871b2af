#include "board/keys.h"

uint64_t zobristTurn[2];
uint64_t zobristPiece[64][256];
uint64_t zobristEp[64];
uint64_t zobristCastle[2][137];

namespace {
constexpr uint64_t rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
}  // namespace

KeyRandom::KeyRandom() {
  for (int i = 0; i < 64; ++i) next();
}

uint64_t KeyRandom::next() {
  uint64_t e = rotl(a + c - (b + d), 47) + 0x053145413F35EFE6ULL;
  uint64_t na = a ^ rotl(b, 5);
  uint64_t nb = b + rotl(c, 37);
  uint64_t nc = c - rotl(d, 41);
  a = na;
  b = nb;
  c = nc;
  d ^= e;
  return d;
}

void initKeys() {
  KeyRandom rng;
  zobristTurn[0] = 0;
  zobristTurn[1] = rng.next();
  for (auto& square : zobristPiece)
    for (auto& key : square) key = rng.next();
  for (int sq = 0; sq < 64; ++sq) zobristEp[sq] = (rowOf(sq) == 3 || rowOf(sq) == 4) ? rng.next() : 0;
  for (auto& side : zobristCastle) {
    side[0] = 0;
    for (int i = 1; i < 137; ++i) side[i] = rng.next();
  }
}
