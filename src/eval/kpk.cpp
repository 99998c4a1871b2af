#include "eval/kpk.h"

#include <cstdio>
#include <cstring>

#include "board/attacks.h"
#include "board/bitboard.h"
#include "platform/regular_file.h"

namespace {

// Work array values while generating.
constexpr int8_t Unresolved = -2;
constexpr int8_t Impossible = -3;
constexpr int8_t Draw = 0;
constexpr int8_t WhiteWins = 1;   // White to move
constexpr int8_t BlackLoses = -1;  // Black to move

struct KpkPosition {
  int white, black, side, pawn;
};

constexpr KpkPosition decode(int i) { return {i & 63, (i >> 6) & 63, (i >> 12) & 1, (i >> 13) + 8}; }

// Where Black's king may step: not next to White's king and not onto a pawn-guarded square. The
// pawn's own square is included when White's king does not guard it.
Bitboard blackKingMoves(const KpkPosition& p) {
  return kingAttacks[p.black] & ~kingAttacks[p.white] & ~pawnAttacks(White, p.pawn);
}

// A pawn on rank 7 with White to move promotes and wins unless the new piece is lost at once,
// the way is blocked, or both a queen and a rook would leave Black stalemated. Such positions
// are left to the king moves of the later passes.
int8_t promotionValue(const KpkPosition& p) {
  const int q = p.pawn - 8;
  const Bitboard promotion = bitOf(q);
  if (q == p.white || q == p.black) return Unresolved;
  if ((kingAttacks[p.black] & promotion) && !(kingAttacks[p.white] & promotion)) return Unresolved;
  const Bitboard kings = bitOf(p.white) | bitOf(p.black);
  const Bitboard queen = queenAttacks(q, kings);
  const Bitboard rook = rookAttacks(q, kings);
  const Bitboard flight = kingAttacks[p.black] & ~kingAttacks[p.white];
  const bool stalemates = !(queen & bitOf(p.black)) && !(flight & ~queen) && !(flight & ~rook);
  return stalemates ? Unresolved : WhiteWins;
}

// What is known before looking one move ahead.
int8_t initialValue(const KpkPosition& p) {
  // Kings on one square or side by side, or the pawn under a king.
  if (neighbours[p.white][p.black] || p.pawn == p.white || p.pawn == p.black) return Impossible;
  if (p.side == Black) {
    const Bitboard moves = blackKingMoves(p);
    // Taking the pawn leaves two bare kings; no move at all is stalemate (a pawn cannot mate).
    return !moves || (moves & bitOf(p.pawn)) ? Draw : Unresolved;
  }
  return rowOf(p.pawn) == 1 ? promotionValue(p) : Unresolved;
}

// Black draws with one move to a drawn position and loses when every move is known to lose.
int8_t blackToMove(const int8_t* work, const KpkPosition& p) {
  bool allLose = true;
  for (Bitboard moves = blackKingMoves(p); moves;) {
    const int8_t after = work[kpkIndex(p.white, popLowest(moves), White, p.pawn)];
    if (after == Draw) return Draw;
    if (after != WhiteWins) allLose = false;
  }
  return allLose ? BlackLoses : Unresolved;
}

// White wins with one move to a lost position and draws when every move is known to draw.
// Promotions were settled by the initial pass and are not generated here.
int8_t whiteToMove(const int8_t* work, const KpkPosition& p) {
  bool allDraw = true;
  // True when the move wins; a move not yet settled keeps the position open.
  auto wins = [&](int white, int pawn) {
    const int8_t after = work[kpkIndex(white, p.black, Black, pawn)];
    if (after == Unresolved) allDraw = false;
    return after == BlackLoses;
  };
  for (Bitboard moves = kingAttacks[p.white] & ~kingAttacks[p.black] & ~bitOf(p.pawn); moves;) {
    if (wins(popLowest(moves), p.pawn)) return WhiteWins;
  }
  const auto free = [&](int sq) { return sq != p.white && sq != p.black; };
  const int step = p.pawn - 8;
  if (rowOf(step) > 0 && free(step)) {
    if (wins(p.white, step)) return WhiteWins;
    const int doubleStep = p.pawn - 16;
    if (rowOf(p.pawn) == 6 && free(doubleStep) && wins(p.white, doubleStep)) return WhiteWins;
  }
  return allDraw ? Draw : Unresolved;
}

void resolve(KpkBitbase& kpk, int i, int8_t value) {
  kpk.work[i] = value;
  --kpk.unresolved;
  if (value == Impossible) ++kpk.impossible;
  else if (value == Draw) ++kpk.drawn;
  else ++kpk.won;
}

}  // namespace

void generateKpk(KpkBitbase& kpk) {
  kpk.work = std::make_unique<int8_t[]>(KpkPositions);
  int8_t* work = kpk.work.get();
  kpk.impossible = kpk.won = kpk.drawn = 0;
  kpk.unresolved = KpkPositions;
  for (int i = 0; i < KpkPositions; ++i) {
    work[i] = Unresolved;
    const int8_t value = initialValue(decode(i));
    if (value != Unresolved) resolve(kpk, i, value);
  }
  // Passes in index order, in place: a position settled early in a pass already counts for the
  // positions after it.
  while (kpk.unresolved > 0) {
    const int before = kpk.unresolved;
    for (int i = 0; i < KpkPositions; ++i) {
      if (work[i] != Unresolved) continue;
      const KpkPosition p = decode(i);
      const int8_t value = p.side == Black ? blackToMove(work, p) : whiteToMove(work, p);
      if (value != Unresolved) resolve(kpk, i, value);
    }
    if (kpk.unresolved == before) break;
  }
  // Nothing more can be proved: what is left is a draw. The count of these stays in `unresolved`.
  kpk.bits = std::make_unique<uint8_t[]>(KpkBytes);  // zeroed
  for (int i = 0; i < KpkPositions; ++i) {
    const bool won = work[i] == WhiteWins || work[i] == BlackLoses;
    if (!won) kpk.bits[i >> 3] |= uint8_t(1 << (i & 7));
  }
  kpk.work.reset();
}

std::optional<int> probeKpk(const KpkBitbase& kpk, const Board& b) {
  if (!kpk.bits) return std::nullopt;
  // A black pawn is looked up as its twin with ranks mirrored and colours swapped.
  const int strong = b.pieces(Pawn, White) ? White : Black;
  const int mirror = strong == White ? 0 : 56;
  const int pawn = lowestSquare(b.pieces(Pawn, strong)) ^ mirror;
  const int side = b.turn() ^ strong;
  const int i = kpkIndex(b.kingSquare(strong) ^ mirror, b.kingSquare(strong ^ 1) ^ mirror, side, pawn);
  if ((kpk.bits[i >> 3] >> (i & 7)) & 1) return 0;
  return side == White ? 1 : -1;
}

bool saveKpk(const KpkBitbase& kpk, const char* path) {
  if (!kpk.bits) return false;
  std::FILE* file = openRegularFileToWrite(path);  // a pipe named kpk.bit would block the engine
  if (!file) return false;
  const bool written = std::fwrite(kpk.bits.get(), KpkBytes, 1, file) == 1;
  // A failed flush on closing also means the block did not reach the file.
  const bool closed = std::fclose(file) == 0;
  return written && closed;
}

const KpkBitbase& builtinKpk() {
  // Generated on first use; the attack tables must be built by then.
  static const KpkBitbase kpk = [] {
    KpkBitbase generated;
    generateKpk(generated);
    return generated;
  }();
  return kpk;
}

void copyKpk(KpkBitbase& to, const KpkBitbase& from) {
  to.work.reset();
  to.impossible = from.impossible;
  to.won = from.won;
  to.drawn = from.drawn;
  to.unresolved = from.unresolved;
  if (!from.bits) {
    to.bits.reset();
    return;
  }
  if (!to.bits) to.bits = std::make_unique<uint8_t[]>(KpkBytes);
  std::memcpy(to.bits.get(), from.bits.get(), KpkBytes);
}
