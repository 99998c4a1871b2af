// Finds the magic multipliers of velmar's slider tables and prints them as C++ tables.
//
// For every square and slider the relevant occupancy mask is the empty-board reach without the
// edge square of each ray; index = ((occupancy & mask) * magic) >> (64 - popCount(mask)). A
// magic is good when no two subsets of the mask that give different attack sets share an index.
// Six constants are fixed in advance (they are checked here like every other); the rest are found
// by trying sparse random numbers from a fixed-seed generator, so a rerun prints the same table.
//
// Build and run:  g++ -std=c++20 -O2 -o find_magics tools/find_magics.cpp && ./find_magics
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

using Bitboard = uint64_t;

// Square 0 is a8, 63 is h1; row 0 is rank 8.
constexpr int rookSteps[4][2] = {{0, -1}, {-1, 0}, {0, 1}, {1, 0}};
constexpr int bishopSteps[4][2] = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}};

bool inside(int row, int file) { return row >= 0 && row < 8 && file >= 0 && file < 8; }

// Attacks of a slider on s: each ray runs until and including the first blocker.
Bitboard slide(const int (&steps)[4][2], int s, Bitboard occupancy) {
  Bitboard result = 0;
  for (const auto& step : steps) {
    for (int r = (s >> 3) + step[0], f = (s & 7) + step[1]; inside(r, f); r += step[0], f += step[1]) {
      result |= Bitboard{1} << (r * 8 + f);
      if (occupancy >> (r * 8 + f) & 1) break;
    }
  }
  return result;
}

// The squares whose occupancy matters: every ray without its last square.
Bitboard relevantMask(const int (&steps)[4][2], int s) {
  Bitboard result = 0;
  for (const auto& step : steps) {
    for (int r = (s >> 3) + step[0], f = (s & 7) + step[1]; inside(r + step[0], f + step[1]);
         r += step[0], f += step[1]) {
      result |= Bitboard{1} << (r * 8 + f);
    }
  }
  return result;
}

struct Rng {  // xorshift64*: small, fixed-seed, good enough for trial numbers
  uint64_t state = 0x9E3779B97F4A7C15ULL;
  uint64_t next() {
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return state * 0x2545F4914F6CDD1DULL;
  }
  uint64_t sparse() { return next() & next() & next(); }
};

struct Slider {
  const char* name;
  const int (*steps)[4][2];
  Bitboard fixed[64];  // 0 = to be found
};

// Every subset of the mask with its attack set, enumerated once per square.
struct Subsets {
  std::vector<Bitboard> occupancy, attacks;
};

Subsets enumerate(const int (&steps)[4][2], int s, Bitboard mask) {
  Subsets out;
  Bitboard subset = 0;
  do {  // carry-rippler: walks all subsets of mask
    out.occupancy.push_back(subset);
    out.attacks.push_back(slide(steps, s, subset));
    subset = (subset - mask) & mask;
  } while (subset);
  return out;
}

bool works(const Subsets& subsets, Bitboard mask, Bitboard magic, std::vector<Bitboard>& table,
           std::vector<int>& stamp, int tryNumber) {
  const int bits = __builtin_popcountll(mask);
  const int shift = 64 - bits;
  for (size_t i = 0; i < subsets.occupancy.size(); ++i) {
    const size_t index = (subsets.occupancy[i] * magic) >> shift;
    if (stamp[index] != tryNumber) {
      stamp[index] = tryNumber;
      table[index] = subsets.attacks[i];
    } else if (table[index] != subsets.attacks[i]) {
      return false;  // two occupancies with different attacks collide
    }
  }
  return true;
}

}  // namespace

int main() {
  Slider rook{"rook", &rookSteps, {}};
  Slider bishop{"bishop", &bishopSteps, {}};
  rook.fixed[0] = 0x0080001820804000ULL;
  rook.fixed[1] = 0xA440100040002003ULL;
  rook.fixed[63] = 0x5000004401002082ULL;
  bishop.fixed[0] = 0x22823A0401041104ULL;
  bishop.fixed[1] = 0x0804100409003024ULL;
  bishop.fixed[63] = 0x0284100220540484ULL;

  Rng rng;
  int failures = 0;
  for (Slider* slider : {&rook, &bishop}) {
    Bitboard found[64];
    long tries = 0;
    for (int s = 0; s < 64; ++s) {
      const Bitboard mask = relevantMask(*slider->steps, s);
      const Subsets subsets = enumerate(*slider->steps, s, mask);
      std::vector<Bitboard> table(subsets.occupancy.size());
      std::vector<int> stamp(subsets.occupancy.size(), -1);
      if (slider->fixed[s]) {
        found[s] = slider->fixed[s];
        if (!works(subsets, mask, found[s], table, stamp, 0)) {
          std::fprintf(stderr, "fixed %s magic for square %d does not work\n", slider->name, s);
          ++failures;
        }
        continue;
      }
      for (int attempt = 1;; ++attempt) {
        ++tries;
        const Bitboard magic = rng.sparse();
        // Cheap filter: the top byte of mask * magic must spread enough bits to index well.
        if (__builtin_popcountll((mask * magic) & 0xFF00000000000000ULL) < 6) continue;
        if (works(subsets, mask, magic, table, stamp, attempt)) {
          found[s] = magic;
          break;
        }
      }
    }
    std::fprintf(stderr, "%s: %ld candidates tried\n", slider->name, tries);
    std::printf("const Bitboard %sMagicNumbers[64] = {\n", slider->name);
    for (int s = 0; s < 64; ++s) {
      std::printf("%s0x%016llXULL,%s", s % 4 == 0 ? "    " : " ", (unsigned long long)found[s],
                  s % 4 == 3 ? "\n" : "");
    }
    std::printf("};\n");
  }
  return failures ? 1 : 0;
}
