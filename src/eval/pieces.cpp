// Knights, bishops, rooks and queens: attacks, king-zone pressure, mobility and a few patterns.
#include <algorithm>
#include <array>

#include "board/attacks.h"
#include "board/see.h"
#include "eval/eval_masks.h"
#include "eval/params.h"
#include "eval/psqt.h"
#include "eval/terms.h"

namespace {

// Piece-square values, the attack maps and the pressure on the enemy king zone.
void placePiece(EvalState& s, int colour, int piece, int sq, Bitboard attacks, int attackWeight) {
  s.add(colour, pieceSquareTables[Opening][colour][piece][sq], pieceSquareTables[Endgame][colour][piece][sq]);
  s.attacks[colour][piece] |= attacks;
  s.attacks[colour][0] |= attacks;
  // Most pieces reach no square of the enemy king's zone: the count only when one does.
  if (const Bitboard zone = attacks & s.kingZone[colour ^ 1]) {
    const int n = popCount(zone);
    s.kingAttackCount[colour] += n;
    s.kingAttackWeight[colour] += n * attackWeight;
  }
}

// Adds the mobility score and returns the count: attacked squares not held by own pieces.
int addMobility(EvalState& s, int colour, int piece, Bitboard attacks) {
  const int count = popCount(attacks & ~s.board->occupied(colour));
  const MobilityTable& table = mobilityTables[piece];
  const int index = std::min(count, 15);  // only a queen reaches further; it scores as 15
  s.add(colour, table.opening[index], table.endgame[index]);
  return count;
}

bool attackedByPawn(const EvalState& s, int colour, int sq) {
  return s.attacks[colour ^ 1][Pawn] & bitOf(sq);
}
bool defendedByPawn(const EvalState& s, int colour, int sq) {
  return s.attacks[colour][Pawn] & bitOf(sq);
}

// Sliders look through their own pieces of the same kind, so batteries count both pieces' reach.
Bitboard xrayOccupancy(const EvalState& s, int colour, Bitboard sameKind) {
  return s.occupancy & ~(sameKind | s.board->pieces(Queen, colour));
}

bool moveLoses(const Board& b, int from, int to) {
  const uint8_t flags = b.mailbox[to] ? MoveCapture : 0;
  return see(b, Move{uint8_t(from), uint8_t(to), 0, flags}, true) < 0;
}

// A bishop that took the rook's pawn on a7 (h7) is shut in by the pawn on b6 (g6): if neither
// taking that pawn nor backing out to b8 (g8) is safe, it is as good as lost.
bool bishopTrapped(const EvalState& s, int colour, int sq) {
  const Board& b = *s.board;
  const Bitboard enemyPawns = b.pieces(Pawn, colour ^ 1);
  for (const auto [corner, pawn, retreat] : {std::array{A7, B6, B8}, std::array{H7, G6, G8}}) {
    if (sq != relativeSquare(colour, corner)) continue;
    const int pawnSq = relativeSquare(colour, pawn);
    if (!(enemyPawns & bitOf(pawnSq))) return false;
    return moveLoses(b, sq, pawnSq) && moveLoses(b, sq, relativeSquare(colour, retreat));
  }
  return false;
}

void rookFileTerms(EvalState& s, int colour, int sq) {
  using namespace param;
  const Board& b = *s.board;
  const Bitboard pawns = fileBits(fileOf(sq)) & (b.pieces(Pawn, White) | b.pieces(Pawn, Black));
  if (!pawns) s.add(colour, RookOnOpenOpeningMP, RookOnOpenEndgameMP);
  else if (!moreThanOne(pawns)) s.add(colour, RookOnSemiOpenOpeningMP, RookOnSemiOpenEndgameMP);
}

// The rook supports its passer from behind, unless another rook already stands between.
bool rookBehindPasser(const EvalState& s, int colour, int sq, Bitboard attacks) {
  const Bitboard ahead = frontFile[colour][sq];
  const Bitboard passers = s.passers[colour];
  return (attacks & passers) && (ahead & passers) && !(ahead & s.board->pieces(Rook, colour));
}

bool rookOnSeventh(const EvalState& s, int colour, int sq) {
  const int enemy = colour ^ 1;
  if (relativeRow(colour, sq) != 1) return false;
  return (s.board->pieces(Pawn, enemy) & rowBits(rowOf(sq))) ||
         relativeRow(colour, s.board->kingSquare(enemy)) == 0;
}

// A rook shut in on the back rank between the corner and its own king, which can no longer
// castle to let it out.
bool rookTrapped(const EvalState& s, int colour, int sq, int mobility) {
  const Board& b = *s.board;
  const int king = b.kingSquare(colour);
  if (mobility >= 6 || b.st.castRights[colour] != 0) return false;
  if (relativeRow(colour, sq) != 7 || relativeRow(colour, king) != 7) return false;
  const int kingFile = fileOf(king), rookFile = fileOf(sq);
  return kingFile <= 3 ? rookFile < kingFile : rookFile > kingFile;
}

}  // namespace

void knightTerms(EvalState& s, int colour, int sq) {
  const Bitboard attacks = knightAttacks[sq];
  placePiece(s, colour, Knight, sq, attacks, param::KnightAttackWeightMP);
  addMobility(s, colour, Knight, attacks);
  if (attackedByPawn(s, colour, sq)) {
    s.add(colour, -20, -20);
  } else if (defendedByPawn(s, colour, sq)) {
    s.add(colour, 10, 10);
  }
}

void bishopTerms(EvalState& s, int colour, int sq) {
  const Bitboard attacks = bishopAttacks(sq, xrayOccupancy(s, colour, s.board->pieces(Bishop, colour)));
  placePiece(s, colour, Bishop, sq, attacks, param::BishopAttackWeightMP);
  const bool attacked = attackedByPawn(s, colour, sq);
  if (attacked) s.add(colour, -20, -20);
  if (bishopTrapped(s, colour, sq)) s.add(colour, -1000, -1000);
  if (defendedByPawn(s, colour, sq) && !attacked) s.add(colour, 10, 10);
  addMobility(s, colour, Bishop, attacks);
}

void rookTerms(EvalState& s, int colour, int sq) {
  using namespace param;
  const Bitboard attacks = rookAttacks(sq, xrayOccupancy(s, colour, s.board->pieces(Rook, colour)));
  placePiece(s, colour, Rook, sq, attacks, RookAttackWeightMP);
  rookFileTerms(s, colour, sq);
  if (rookBehindPasser(s, colour, sq, attacks)) {
    s.add(colour, RookBehindPasserOpeningMP, RookBehindPasserEndgameMP);
  }
  if (rookOnSeventh(s, colour, sq)) s.add(colour, RookOn7thOpeningMP, RookOn7thEndgameMP);
  const int mobility = addMobility(s, colour, Rook, attacks);
  if (attackedByPawn(s, colour, sq)) s.add(colour, -63, -63);
  if (rookTrapped(s, colour, sq, mobility)) s.add(colour, -1200, 0);
}

void queenTerms(EvalState& s, int colour, int sq) {
  const Board& b = *s.board;
  const Bitboard lines = b.pieces(Bishop, colour) | b.pieces(Rook, colour);
  const Bitboard attacks = queenAttacks(sq, xrayOccupancy(s, colour, lines));
  placePiece(s, colour, Queen, sq, attacks, param::QueenAttackWeightMP);
  addMobility(s, colour, Queen, attacks);
  if (attackedByPawn(s, colour, sq)) s.add(colour, -30, -30);
}
