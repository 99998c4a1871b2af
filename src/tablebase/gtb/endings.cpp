#include "tablebase/gtb/endings.h"

#include <cstring>

#include "tablebase/gtb/index_tables.h"

namespace gtb {
namespace {

// Table order: 3 pieces, then 4, then 5. The file of each ending is its name + ".gtb.cp4".
constexpr const char* Names[EndingCount] = {
    "kqk",   "krk",   "kbk",   "knk",   "kpk",   "kqkq",  "kqkr",  "kqkb",  "kqkn",  "krkr",  "krkb",  "krkn",
    "kbkb",  "kbkn",  "knkn",  "kqqk",  "kqrk",  "kqbk",  "kqnk",  "krrk",  "krbk",  "krnk",  "kbbk",  "kbnk",
    "knnk",  "kqkp",  "krkp",  "kbkp",  "knkp",  "kqpk",  "krpk",  "kbpk",  "knpk",  "kppk",  "kpkp",  "kqqqk",
    "kqqrk", "kqqbk", "kqqnk", "kqrrk", "kqrbk", "kqrnk", "kqbbk", "kqbnk", "kqnnk", "krrrk", "krrbk", "krrnk",
    "krbbk", "krbnk", "krnnk", "kbbbk", "kbbnk", "kbnnk", "knnnk", "kqqkq", "kqqkr", "kqqkb", "kqqkn", "kqrkq",
    "kqrkr", "kqrkb", "kqrkn", "kqbkq", "kqbkr", "kqbkb", "kqbkn", "kqnkq", "kqnkr", "kqnkb", "kqnkn", "krrkq",
    "krrkr", "krrkb", "krrkn", "krbkq", "krbkr", "krbkb", "krbkn", "krnkq", "krnkr", "krnkb", "krnkn", "kbbkq",
    "kbbkr", "kbbkb", "kbbkn", "kbnkq", "kbnkr", "kbnkb", "kbnkn", "knnkq", "knnkr", "knnkb", "knnkn", "kqqpk",
    "kqrpk", "kqbpk", "kqnpk", "krrpk", "krbpk", "krnpk", "kbbpk", "kbnpk", "knnpk", "kqppk", "krppk", "kbppk",
    "knppk", "kqpkq", "kqpkr", "kqpkb", "kqpkn", "krpkq", "krpkr", "krpkb", "krpkn", "kbpkq", "kbpkr", "kbpkb",
    "kbpkn", "knpkq", "knpkr", "knpkb", "knpkn", "kppkq", "kppkr", "kppkb", "kppkn", "kqqkp", "kqrkp", "kqbkp",
    "kqnkp", "krrkp", "krbkp", "krnkp", "kbbkp", "kbnkp", "knnkp", "kqpkp", "krpkp", "kbpkp", "knpkp", "kppkp",
    "kpppk"};

// The indexing schemes. Capital letters stand for pieces other than pawns: A, B, C distinct
// kinds (in falling order), a repeated letter the same kind twice; P a pawn. The scheme is
// read off the ending's letters, so the table above is all there is to list.
// The pawnless schemes come first.
enum class Scheme {
  KXK, KAKB, KAAK, KABK, KAAAK, KAABK, KABBK, KABCK, KAAKB, KABKC,
  KPK, KAKP, KAPK, KPPK, KPKP,
  KAAPK, KABPK, KAPPK, KAPKB, KPPKA, KAAKP, KABKP, KAPKP, KPPKP, KPPPK,
};

constexpr bool pawnless(Scheme scheme) { return scheme <= Scheme::KABKC; }

// The letters after each king, with every piece but a pawn written as a capital by its
// rank among the side's distinct kinds: "kqrkp" gives "AB" and "P".
struct Shape {
  char white[5] = {};
  char black[5] = {};
};

Shape shapeOf(const char* name) {
  Shape shape;
  const char* second = std::strchr(name + 1, 'k');
  auto fill = [](const char* from, const char* to, char* out) {
    char letter = 'A' - 1;
    for (const char* c = from; c < to; ++c) {
      if (*c == 'p') {
        *out++ = 'P';
        continue;
      }
      if (c == from || *c != c[-1]) ++letter;
      *out++ = letter;
    }
  };
  fill(name + 1, second, shape.white);
  fill(second + 1, name + std::strlen(name), shape.black);
  return shape;
}

Scheme schemeOf(int ending) {
  struct Row {
    const char* white;
    const char* black;
    Scheme scheme;
  };
  static constexpr Row Rows[] = {
      {"A", "", Scheme::KXK},       {"P", "", Scheme::KPK},       {"A", "A", Scheme::KAKB},
      {"AA", "", Scheme::KAAK},     {"AB", "", Scheme::KABK},     {"A", "P", Scheme::KAKP},
      {"AP", "", Scheme::KAPK},     {"PP", "", Scheme::KPPK},     {"P", "P", Scheme::KPKP},
      {"AAA", "", Scheme::KAAAK},   {"AAB", "", Scheme::KAABK},   {"ABB", "", Scheme::KABBK},
      {"ABC", "", Scheme::KABCK},   {"AA", "A", Scheme::KAAKB},   {"AB", "A", Scheme::KABKC},
      {"AAP", "", Scheme::KAAPK},   {"ABP", "", Scheme::KABPK},   {"APP", "", Scheme::KAPPK},
      {"AP", "A", Scheme::KAPKB},   {"PP", "A", Scheme::KPPKA},   {"AA", "P", Scheme::KAAKP},
      {"AB", "P", Scheme::KABKP},   {"AP", "P", Scheme::KAPKP},   {"PP", "P", Scheme::KPPKP},
      {"PPP", "", Scheme::KPPPK},
  };
  const Shape shape = shapeOf(Names[ending]);
  for (const Row& row : Rows)
    if (!std::strcmp(row.white, shape.white) && !std::strcmp(row.black, shape.black)) return row.scheme;
  return Scheme::KXK;  // not reached: every name above has a row
}

uint64_t schemeSize(Scheme scheme) {
  constexpr uint64_t K = KingPairs, S = 64, AA = PairSlots, AAA = TripleSlots;
  switch (scheme) {
    case Scheme::KXK: return K * S;
    case Scheme::KPK: return 24 * S * S;
    case Scheme::KAKB: case Scheme::KABK: return K * S * S;
    case Scheme::KAAK: return K * AA;
    case Scheme::KAKP: case Scheme::KAPK: return 24 * S * S * S;
    case Scheme::KPPK: return PawnPairSlots * S * S;
    case Scheme::KPKP: return 24 * 48 * S * S;
    case Scheme::KAAAK: return K * AAA;
    case Scheme::KAABK: case Scheme::KABBK: case Scheme::KAAKB: return K * AA * S;
    case Scheme::KABCK: case Scheme::KABKC: return K * S * S * S;
    case Scheme::KAAPK: case Scheme::KAAKP: return 24 * S * S * AA;
    case Scheme::KABPK: case Scheme::KAPKB: case Scheme::KABKP: return 24 * S * S * S * S;
    case Scheme::KAPPK: case Scheme::KPPKA: return PawnPairSlots * S * S * S;
    case Scheme::KAPKP: return 24 * 48 * S * S * S;
    case Scheme::KPPKP: return 24 * MixedPawnPairSlots * S * S;
    case Scheme::KPPPK: return PawnTripleSlots * S * S;
  }
  return 0;
}

// Pawnless endings: the whole board is turned so that the black king lands in the a1-d1-d4
// triangle (the white king below the diagonal when the black king is on it); then the king pair
// is one of 462 placements.
struct Turned {
  int w[MaxMen], b[MaxMen];
  int64_t kings;
};

Turned turnForKings(const Side& white, const Side& black) {
  const Tables& t = tables();
  const int how = t.symmetry[black.sq[0]][white.sq[0]];
  Turned r;
  for (int i = 0; i < white.count; ++i) r.w[i] = applySymmetry(white.sq[i], how);
  for (int i = 0; i < black.count; ++i) r.b[i] = applySymmetry(black.sq[i], how);
  r.kings = t.kingPair[r.b[0]][r.w[0]];
  return r;
}

bool pawnlessIndex(Scheme scheme, const Side& white, const Side& black, uint64_t& index) {
  const Tables& t = tables();
  const Turned p = turnForKings(white, black);
  if (p.kings < 0) return false;
  const uint64_t k = uint64_t(p.kings);
  const int* w = p.w;
  switch (scheme) {
    case Scheme::KXK: index = k * 64 + w[1]; return true;
    case Scheme::KAKB: index = (k * 64 + w[1]) * 64 + p.b[1]; return true;
    case Scheme::KABK: index = (k * 64 + w[1]) * 64 + w[2]; return true;
    case Scheme::KABKC: index = ((k * 64 + w[1]) * 64 + w[2]) * 64 + p.b[1]; return true;
    case Scheme::KABCK: index = ((k * 64 + w[1]) * 64 + w[2]) * 64 + w[3]; return true;
    case Scheme::KAAK:
    case Scheme::KAAKB:
    case Scheme::KAABK: {
      const int pair = t.pieceIndex[w[1]][w[2]];
      if (pair < 0) return false;
      index = k * PairSlots + pair;
      if (scheme == Scheme::KAAKB) index = index * 64 + p.b[1];
      if (scheme == Scheme::KAABK) index = index * 64 + w[3];
      return true;
    }
    case Scheme::KABBK: {
      const int pair = t.pieceIndex[w[2]][w[3]];
      if (pair < 0) return false;
      index = (k * PairSlots + pair) * 64 + w[1];
      return true;
    }
    case Scheme::KAAAK: {
      const int triple = tripleIndex(w[1], w[2], w[3]);
      if (triple < 0) return false;
      index = k * TripleSlots + triple;
      return true;
    }
    default: return false;
  }
}

constexpr bool onPawnRank(int sq) { return sq >= 8 && sq < 56; }
constexpr int mirrorFiles(int sq) { return sq ^ 7; }

// Pawn endings keep their ranks (pawns have a direction) and mirror only left to right, so
// that the deciding pawn stands on files a-d.
struct Mirrored {
  int w[MaxMen], b[MaxMen];
};

Mirrored mirrorIf(bool mirror, const Side& white, const Side& black) {
  Mirrored m;
  for (int i = 0; i < white.count; ++i) m.w[i] = mirror ? mirrorFiles(white.sq[i]) : white.sq[i];
  for (int i = 0; i < black.count; ++i) m.b[i] = mirror ? mirrorFiles(black.sq[i]) : black.sq[i];
  return m;
}

constexpr bool kingside(int sq) { return (sq & 7) > 3; }

bool pawnIndex(Scheme scheme, const Side& white, const Side& black, uint64_t& index) {
  const Tables& t = tables();
  for (int i = 1; i < white.count; ++i)
    if (white.pc[i] == Pawn && !onPawnRank(white.sq[i])) return false;
  for (int i = 1; i < black.count; ++i)
    if (black.pc[i] == Pawn && !onPawnRank(black.sq[i])) return false;
  const int* w = white.sq;
  const int* b = black.sq;
  auto kings = [](const Mirrored& m) { return uint64_t(m.w[0]) * 64 + uint64_t(m.b[0]); };

  switch (scheme) {
    case Scheme::KPK: case Scheme::KAPK: case Scheme::KAPKB: case Scheme::KABPK: case Scheme::KAAPK: {
      // One white pawn decides the mirroring; its slot counts files a-d from the seventh rank down.
      const int pawnAt = white.count - 1;
      const Mirrored m = mirrorIf(kingside(w[pawnAt]), white, black);
      const uint64_t slice = whitePawnSlot(m.w[pawnAt]);
      if (scheme == Scheme::KPK) index = slice * 4096 + kings(m);
      if (scheme == Scheme::KAPK) index = (slice * 4096 + kings(m)) * 64 + m.w[1];
      if (scheme == Scheme::KAPKB) index = ((slice * 4096 + kings(m)) * 64 + m.w[1]) * 64 + m.b[1];
      if (scheme == Scheme::KABPK) index = ((slice * 4096 + kings(m)) * 64 + m.w[1]) * 64 + m.w[2];
      if (scheme == Scheme::KAAPK) {
        const int pair = t.pieceIndex[m.w[1]][m.w[2]];
        if (pair < 0) return false;
        index = (slice * 4096 + kings(m)) * PairSlots + pair;
      }
      return true;
    }
    case Scheme::KAKP: case Scheme::KABKP: case Scheme::KAAKP: {
      // A lone black pawn decides; its slot counts from the second rank up.
      const Mirrored m = mirrorIf(kingside(b[1]), white, black);
      const uint64_t slice = blackPawnSlot(m.b[1]);
      if (scheme == Scheme::KAKP) index = (slice * 4096 + kings(m)) * 64 + m.w[1];
      if (scheme == Scheme::KABKP) index = ((slice * 4096 + kings(m)) * 64 + m.w[1]) * 64 + m.w[2];
      if (scheme == Scheme::KAAKP) {
        const int pair = t.pieceIndex[m.w[1]][m.w[2]];
        if (pair < 0) return false;
        index = (slice * 4096 + kings(m)) * PairSlots + pair;
      }
      return true;
    }
    case Scheme::KPKP: case Scheme::KAPKP: {
      // The white pawn decides; the black pawn may stand on any of the 48 pawn squares.
      const int pawnAt = white.count - 1;
      const Mirrored m = mirrorIf(kingside(w[pawnAt]), white, black);
      const uint64_t pawns = whitePawnSlot(m.w[pawnAt]) * 48 + uint64_t(m.b[1] - 8);
      index = pawns * 4096 + kings(m);
      if (scheme == Scheme::KAPKP) index = index * 64 + m.w[1];
      return true;
    }
    case Scheme::KPPK: case Scheme::KAPPK: case Scheme::KPPKA: {
      // Two white pawns: the more advanced (or, on one rank, the one nearer the edge) anchors.
      const int first = white.count - 2;
      const auto [anchor, loose] = anchorFirst(w[first], w[first + 1]);
      const bool mirror = kingside(anchor);
      const Mirrored m = mirrorIf(mirror, white, black);
      const int a = mirror ? mirrorFiles(anchor) : anchor, l = mirror ? mirrorFiles(loose) : loose;
      const int pair = t.pawnPair[whitePawnSlot(a)][(l ^ 56) - 8];
      if (pair < 0) return false;
      index = uint64_t(pair) * 4096 + kings(m);
      if (scheme == Scheme::KAPPK) index = index * 64 + m.w[1];
      if (scheme == Scheme::KPPKA) index = index * 64 + m.b[1];
      return true;
    }
    case Scheme::KPPKP: {
      // Here the black pawn decides the mirroring and leads the index.
      const Mirrored m = mirrorIf(kingside(b[1]), white, black);
      const int pair = t.mixedPawnPair[(m.w[1] ^ 63) - 8][(m.w[2] ^ 63) - 8];
      if (pair < 0) return false;
      index = (blackPawnSlot(m.b[1]) * MixedPawnPairSlots + uint64_t(pair)) * 4096 + kings(m);
      return true;
    }
    case Scheme::KPPPK: {
      // Three pawns: mirrored only when fewer than two of them stand on files a-d.
      int triple = t.pawnTriple[w[1] - 8][w[2] - 8][w[3] - 8];
      Mirrored m = mirrorIf(false, white, black);
      if (triple < 0) {
        m = mirrorIf(true, white, black);
        triple = t.pawnTriple[m.w[1] - 8][m.w[2] - 8][m.w[3] - 8];
      }
      if (triple < 0) return false;
      index = uint64_t(triple) * 4096 + kings(m);
      return true;
    }
    default: return false;
  }
}

struct EndingFacts {
  Scheme scheme[EndingCount];
  uint64_t size[EndingCount];
};

const EndingFacts& facts() {
  static const EndingFacts f = [] {
    EndingFacts r;
    for (int e = 0; e < EndingCount; ++e) {
      r.scheme[e] = schemeOf(e);
      r.size[e] = schemeSize(r.scheme[e]);
    }
    return r;
  }();
  return f;
}

}  // namespace

const char* endingName(int ending) { return ending >= 0 && ending < EndingCount ? Names[ending] : nullptr; }

uint64_t endingSize(int ending) { return ending >= 0 && ending < EndingCount ? facts().size[ending] : 0; }

int findEnding(const char* name) {
  for (int e = 0; e < EndingCount; ++e)
    if (!std::strcmp(name, Names[e])) return e;
  return -1;
}

int endingOf(const Side& white, const Side& black) {
  static constexpr char Letters[] = "-pnbrqk";
  char name[2 * MaxMen + 1];
  int n = 0;
  for (const Side* side : {&white, &black})
    for (int i = 0; i < side->count; ++i) {
      const int pc = side->pc[i];
      if (pc < Pawn || pc > King || n >= 2 * MaxMen) return -1;
      name[n++] = Letters[pc];
    }
  name[n] = 0;
  return findEnding(name);
}

void sortSide(Side& side) {
  // Insertion sort by falling piece code; the sides hold at most five men.
  for (int i = 1; i < side.count; ++i)
    for (int j = i; j > 0 && side.pc[j] > side.pc[j - 1]; --j) {
      std::swap(side.pc[j], side.pc[j - 1]);
      std::swap(side.sq[j], side.sq[j - 1]);
    }
  for (int i = side.count; i <= MaxMen; ++i) {
    side.sq[i] = NoSquare;
    side.pc[i] = NoPiece;
  }
}

bool positionIndex(int ending, const Side& white, const Side& black, uint64_t& index) {
  if (ending < 0 || ending >= EndingCount) return false;
  for (const Side* side : {&white, &black})
    for (int i = 0; i < side->count; ++i)
      if (side->sq[i] < 0 || side->sq[i] > 63) return false;
  const Scheme scheme = facts().scheme[ending];
  return pawnless(scheme) ? pawnlessIndex(scheme, white, black, index) : pawnIndex(scheme, white, black, index);
}

}  // namespace gtb
