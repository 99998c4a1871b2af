#include "frontend/startup.h"

#include "board/attacks.h"
#include "board/bitboard.h"
#include "board/keys.h"
#include "board/prng.h"
#include "board/refgen.h"
#include "board/tick.h"

void initEngineTables() {
  static bool built = false;
  if (built) return;
  built = true;
  initBitTables();
  initAttackTables();
  initKeys();
  // The reference generator builds its own tables on first use; do it now, not on a GUI move.
  OldBoard scratch;
  resetOldBoard(scratch);
  RefMove moves[MaxRefMoves];
  generateMovesOld(scratch, White, moves);
  seedRandom(uint32_t(tickCount()));
}
