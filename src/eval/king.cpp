// The king: pawn storm, shield and shelter, the attack on its zone, and unstoppable passers.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "board/bitboard.h"
#include "eval/eval_masks.h"
#include "eval/params.h"
#include "eval/psqt.h"
#include "eval/terms.h"

namespace {

// Enemy pawns advancing on a wing king cost more the closer they have come.
void pawnStorm(EvalState& s, int colour, int king) {
  for (Bitboard storm = stormZone[colour][king] & s.board->pieces(Pawn, colour ^ 1); storm;) {
    const int pawn = popLowest(storm);
    s.add(colour, -(7 - std::abs(rowOf(king) - rowOf(pawn))) * param::PawnStormMP, 0);
  }
}

void pawnCover(EvalState& s, int colour, int king) {
  using namespace param;
  const Bitboard pawns = s.board->pieces(Pawn, colour);
  if (moreThanOne(shieldZone[colour][king] & pawns)) s.add(colour, KingShieldMP, 0);
  const int shelter = popCount(shelterZone[colour][king] & pawns);
  s.add(colour, PawnShelterFront1MP * PawnShelterPercent * shelter / 100, 0);
  s.add(colour, PawnShelterFront2MP * PawnShelterPercent * shelter / 100, 0);
}

// The attack only bites while the attacker keeps pieces to follow it up: nothing at a rook's
// worth or less, in full with a whole set.
int64_t attackScale(int attackerMaterial) {
  return std::clamp((256 * attackerMaterial - 128000) / 2775, 0, 256);
}

void kingAttack(EvalState& s, int colour) {
  const int enemy = colour ^ 1;
  const int64_t count = s.kingAttackCount[enemy], weight = s.kingAttackWeight[enemy];
  const int64_t danger = count * weight * 2125 / 1000 * param::KingSafetyPercent / 100;
  if (danger == 0) return;
  const int penalty = int((attackScale(s.nonPawn[enemy]) * danger) >> 8);
  s.kingDanger[colour] = penalty;
  s.add(colour, -penalty, -penalty);
}

// With no pieces left to stop it, a passer the enemy king cannot catch will queen, unless the
// other side queens first.
void unstoppablePasser(EvalState& s, int colour) {
  const int enemy = colour ^ 1;
  const int own = s.unstoppable[colour], theirs = s.unstoppable[enemy];
  if (own == 0 || (theirs != 0 && theirs <= own) || s.pieces[enemy]) return;
  const int bonus = pieceValueTable[Queen] - pieceValueTable[Pawn];
  s.add(colour, bonus, bonus);
}

}  // namespace

void kingTerms(EvalState& s, int colour, int sq) {
  s.add(colour, pieceSquareTables[Opening][colour][King][sq], pieceSquareTables[Endgame][colour][King][sq]);
  pawnStorm(s, colour, sq);
  pawnCover(s, colour, sq);
  kingAttack(s, colour);
  unstoppablePasser(s, colour);
}
