// Pawn structure (cached by pawn key) and the king-distance terms of the passed pawns.
#include "board/attacks.h"
#include "eval/eval_masks.h"
#include "eval/params.h"
#include "eval/psqt.h"
#include "eval/terms.h"

namespace {

// Millipawns by king distance to the passer (plus one when the other side moves first).
constexpr int ownKingBonus[9] = {0, 16, 14, 12, 10, 6, 4, 2, 0};
constexpr int enemyKingBonus[9] = {0, 26, 50, 76, 100, 126, 150, 176, 200};

struct PawnShape {
  bool passed, isolated, doubled, supported, beside, candidate;
};

PawnShape classify(const Board& b, int colour, int sq) {
  const Bitboard own = b.pieces(Pawn, colour), enemy = b.pieces(Pawn, colour ^ 1);
  PawnShape p;
  p.passed = !(frontSpan[colour][sq] & enemy);
  p.isolated = !(adjacentFiles[sq] & own);
  p.doubled = (frontFile[colour][sq] & own) != 0;
  p.supported = (pawnAttackSources[colour][sq] & own) != 0;
  p.beside = (adjacentFiles[sq] & rowBits(rowOf(sq)) & own) != 0;
  // A lone enemy pawn off its file may be traded or outrun: the pawn can still become a passer.
  const Bitboard span = frontSpan[colour][sq] & enemy;
  p.candidate = !p.passed && !p.isolated && !p.doubled && !(frontFile[colour][sq] & enemy) && span &&
                !moreThanOne(span);
  return p;
}

void pawnTerms(EvalState& s, int colour, int sq) {
  s.add(colour, pieceSquareTables[Opening][colour][Pawn][sq], pieceSquareTables[Endgame][colour][Pawn][sq]);
  const PawnShape p = classify(*s.board, colour, sq);
  const int advance = 6 - relativeRow(colour, sq);
  const int squared = advance * advance;
  using namespace param;
  if (p.candidate) {
    s.add(colour, (PasserOpeningScaleMP * squared + PasserOpeningBaseMP) / 10,
          (PasserEndgameScaleMP * squared + PasserEndgameBaseMP) / 10);
  }
  if (p.supported || p.beside) s.add(colour, 10, 20);
  if (!p.supported && !p.beside && !p.isolated && !p.passed) {
    s.add(colour, -BackwardPawnOpeningMP, -BackwardPawnEndgameMP);
  }
  // Only the rear pawn of a doubled pair sees an own pawn ahead; the front one is the passer.
  if (p.passed && !p.doubled) {
    s.add(colour, PasserOpeningBaseMP + PasserOpeningScaleMP * squared,
          PasserEndgameBaseMP + PasserEndgameScaleMP * squared);
    s.passers[colour] |= bitOf(sq);
  }
  if (p.supported) s.add(colour, 10, 20);
  if (p.isolated) s.add(colour, -IsolatedPawnOpeningMP, -IsolatedPawnEndgameMP);
  if (p.doubled) s.add(colour, -DoubledPawnOpeningMP, -DoubledPawnEndgameMP);
}

// The passer's worth grows as the defender's pieces come off: 256 with none, 0 with a full set.
int passerScale(const EvalState& s, int defender) { return (838400 - 256 * s.nonPawn[defender]) / 3275; }

void passerKingTerms(EvalState& s, int colour, int sq) {
  const int enemy = colour ^ 1;
  const int scale = passerScale(s, enemy);
  const int toPromote = relativeRow(colour, sq);
  const int ownDistance = kingDistance[s.board->kingSquare(colour)][sq] + (s.turn == enemy ? 1 : 0);
  const int enemyDistance = kingDistance[s.board->kingSquare(enemy)][sq] + (s.turn == colour ? 1 : 0);
  s.add(colour, 0, (ownKingBonus[ownDistance] * scale) >> 8);
  s.add(colour, 0, (scale * enemyKingBonus[enemyDistance]) >> 8);
  // The defending king cannot reach the queening square in time.
  if (enemyDistance > toPromote + 1 && (s.unstoppable[colour] == 0 || toPromote < s.unstoppable[colour])) {
    s.unstoppable[colour] = toPromote;
  }
}

}  // namespace

void pawnStructure(EvalState& s, PawnEntry& entry) {
  const Board& b = *s.board;
  if (entry.key == b.pawnKey) {
    s.opening += entry.opening;
    s.endgame += entry.endgame;
    s.passers[White] = b.pieces(Pawn, White) & entry.passers;
    s.passers[Black] = b.pieces(Pawn, Black) & entry.passers;
    return;
  }
  const int opening = s.opening, endgame = s.endgame;
  s.passers[White] = s.passers[Black] = 0;
  for (int colour : {White, Black}) {
    for (Bitboard pawns = b.pieces(Pawn, colour); pawns;) pawnTerms(s, colour, popLowest(pawns));
  }
  entry.key = b.pawnKey;
  entry.passers = s.passers[White] | s.passers[Black];
  entry.opening = s.opening - opening;
  entry.endgame = s.endgame - endgame;
}

void passerDynamics(EvalState& s) {
  for (int colour : {White, Black}) {
    for (Bitboard passers = s.passers[colour]; passers;) passerKingTerms(s, colour, popLowest(passers));
  }
}
