// The lookup tables behind the format's position indices: king-pair placements under the
// board's symmetries, unordered pairs and triples of like pieces, and the pawn-pair and
// pawn-triple numberings. Squares are the format's (0 = a1).
#pragma once

#include <cstdint>
#include <utility>

namespace gtb {

constexpr int KingPairs = 462;             // non-touching king placements up to symmetry
constexpr int PairSlots = 64 * 63 / 2;     // unordered pairs of squares
constexpr int TripleSlots = 64 * 21 * 31;  // unordered triples of squares
constexpr int PawnPairSlots = 576;         // two white pawns, mirrored to the a-d side
constexpr int MixedPawnPairSlots = 1128;   // two white pawns on the 48 pawn squares
constexpr int PawnTripleSlots = 8648;      // three white pawns, at least two on files a-d

struct Tables {
  uint8_t symmetry[64][64];   // [black king][white king]: bit 0 mirror files, 1 mirror ranks, 2 diagonal
  int16_t kingPair[64][64];   // [black king][white king] once turned; -1 where the kings touch
  int16_t pieceIndex[64][64]; // unordered pair of distinct squares; -1 on the diagonal
  int16_t pawnPair[24][48];   // [anchor slot][other pawn, 0 = a7 ... 47 = h2]
  int16_t mixedPawnPair[48][48];
  int16_t pawnTriple[48][48][48];  // [square - 8] three times
  int32_t tripleBase[64];
};

// Built on first use; safe to call from any thread.
const Tables& tables();

constexpr int applySymmetry(int sq, int how) {
  if (how & 1) sq ^= 7;
  if (how & 2) sq ^= 56;
  if (how & 4) sq = ((sq & 7) << 3) | (sq >> 3);
  return sq;
}

// Three distinct squares as one number below TripleSlots, in any order; -1 when two coincide.
int tripleIndex(int a, int b, int c);

// A white pawn on files a-d, ranks 2-7: 0 for a7, counting across the files and down the ranks.
constexpr uint64_t whitePawnSlot(int sq) {
  const int s = (sq ^ 56) - 8;
  return uint64_t((s + (s & 3)) >> 1);
}

// A black pawn on files a-d, ranks 2-7: 0 for a2, counting across the files and up the ranks.
constexpr uint64_t blackPawnSlot(int sq) {
  const int s = sq - 8;
  return uint64_t((s + (s & 3)) >> 1);
}

// Of two white pawns, the one the pair's numbering starts from: the more advanced; on one rank
// the one nearer an edge; then the lower square. Returns {anchor, other}.
std::pair<int, int> anchorFirst(int a, int b);

}  // namespace gtb
