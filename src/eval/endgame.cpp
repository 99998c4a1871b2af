// Endgame knowledge applied to the blended score: driving a bare king, the few material
// signatures whose outcome the ordinary terms misjudge, and draws against a bare king.
#include <algorithm>
#include <array>

#include "board/attacks.h"
#include "board/bitboard.h"
#include "board/see.h"
#include "eval/eval_masks.h"
#include "eval/terms.h"

namespace {

// Rings from the border inward: 0 on the edge, 3 on the four centre squares.
constexpr std::array<int8_t, 64> centre = [] {
  std::array<int8_t, 64> table{};
  for (int sq = 0; sq < 64; ++sq) {
    table[sq] = int8_t(std::min({rowOf(sq), 7 - rowOf(sq), fileOf(sq), 7 - fileOf(sq)}));
  }
  return table;
}();

// By king distance: the attacking king is wanted two or three squares from the bare one.
constexpr int kingProximity[8] = {0, 0, 200, 150, 100, 50, -100, -200};

// Bishop and knight mate only in a corner of the bishop's colour: high toward a8 and h1 (light),
// low toward h8 and a1. Rank 8 first.
constexpr int16_t kbnCorner[64] = {
    999,  500,  250,  100,  -100, -250, -500, -999,  //
    500,  400,  250,  100,  -100, -250, -400, -500,  //
    250,  250,  150,  80,   -80,  -150, -250, -250,  //
    100,  100,  80,   50,   -50,  -80,  -100, -100,  //
    -100, -100, -80,  -50,  50,   80,   100,  100,   //
    -250, -250, -150, -80,  80,   150,  250,  250,   //
    -500, -400, -250, -100, 100,  250,  400,  500,   //
    -999, -500, -250, -100, 100,  250,  500,  999,
};

constexpr Bitboard LightSquares = 0xAA55AA55AA55AA55ULL;  // a8 and h1 are light
constexpr bool isLight(int sq) { return (LightSquares >> sq) & 1; }
static_assert(isLight(A8) && isLight(H1) && !isLight(H8) && !isLight(A1));

// A white term adds to White's score, a black one subtracts.
constexpr int signOf(int colour) { return colour == White ? 1 : -1; }

// Rank counted from the colour's own side: 0 on its first rank, 7 where its pawns promote.
constexpr int relativeRank(int colour, int sq) { return colour == White ? 7 - rowOf(sq) : rowOf(sq); }

constexpr uint64_t unit(int piece, int colour) { return materialKeyUnit(piece, colour); }

// Drives the bare king of `weak` to the edge and the strong king toward it. With a rook or queen
// and no piece hanging next to the bare king, the mate is certain and outweighs everything else.
int mopUp(const Board& b, int strong) {
  const int weak = strong ^ 1;
  const int strongKing = b.kingSquare(strong), weakKing = b.kingSquare(weak);
  int score = kingProximity[kingDistance[strongKing][weakKing]] - 100 * centre[weakKing];
  const Bitboard hanging = kingAttacks[weakKing] & ~kingAttacks[strongKing] & b.occupied(strong);
  if ((b.pieces(Rook, strong) | b.pieces(Queen, strong)) && !hanging) score += 125000;
  return signOf(strong) * score;
}

// Signatures of `strong`, the side ahead in material.
int materialSignatures(const Board& b, int strong, int v) {
  const int weak = strong ^ 1;
  const uint64_t key = b.materialKey;
  // Two knights cannot force mate.
  if (key == 2 * unit(Knight, strong)) return 0;
  if (key == unit(Knight, strong) + unit(Bishop, strong)) {
    const int corner = kbnCorner[b.kingSquare(weak)];
    const bool light = isLight(lowestSquare(b.pieces(Bishop, strong)));
    return v + signOf(strong) * 2 * (light ? corner : -corner);
  }
  // Rook and pawn against rook with the defending king in front of a wing pawn: drawish.
  if (key == unit(Rook, strong) + unit(Pawn, strong) + unit(Rook, weak)) {
    const int pawn = lowestSquare(b.pieces(Pawn, strong));
    const int king = b.kingSquare(weak);
    if (relativeRank(strong, king) > relativeRank(strong, pawn) && (stormZone[weak][king] & bitOf(pawn))) {
      return v >> 5;
    }
  }
  return v;
}

// Can the bare king of `weak` step to a square `strong` does not attack? The evaluation's attack
// maps will not do: their sliders look through their own kind, so a queen behind its own rook
// "attacks" squares that rook covers for it.
bool hasFlightSquare(const Board& b, int weak, int strong) {
  Bitboard flight = kingAttacks[b.kingSquare(weak)] & ~kingAttacks[b.kingSquare(strong)];
  while (flight) {
    if (!isAttacked(b, popLowest(flight), weak, true)) return true;
  }
  return false;
}

// Draws the side facing a bare king cannot avoid: stalemate now, or a bishop that does not
// control the promotion corner of its rook pawns.
int bareKingDraws(const EvalState& s, int strong, int v) {
  const Board& b = *s.board;
  const int weak = strong ^ 1;
  if (s.turn == weak && !s.inCheck && !hasFlightSquare(b, weak, strong)) return 0;
  const Bitboard bishops = b.pieces(Bishop, strong);
  const Bitboard pawns = b.pieces(Pawn, strong);
  if (s.nonPawn[strong] < 326 && bishops && pawns) {
    const bool light = isLight(lowestSquare(bishops));
    const int promotionRow = strong == White ? 0 : 7;
    for (const int file : {0, 7}) {
      const bool cornerLight = isLight(makeSquare(promotionRow, file));
      if (!(pawns & ~fileBits(file)) && light != cornerLight) return 0;
    }
  }
  return v;
}

}  // namespace

int endgameKnowledge(const EvalState& s, int v) {
  const Board& b = *s.board;
  const int dmat = b.mat.dmat;
  if (!(s.bare[White] && s.bare[Black])) {
    if (dmat < 0 && s.bare[White]) v += mopUp(b, Black);
    else if (dmat > 0 && s.bare[Black]) v += mopUp(b, White);
  }
  v = materialSignatures(b, dmat > 0 ? White : Black, v);
  // Only one bare king is looked at; Black's first.
  if (s.bare[Black]) return bareKingDraws(s, White, v);
  if (s.bare[White]) return bareKingDraws(s, Black, v);
  return v;
}
