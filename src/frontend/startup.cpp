#include "frontend/startup.h"

#include "board/attacks.h"
#include "board/bitboard.h"
#include "board/keys.h"
#include "board/prng.h"
#include "board/refgen.h"
#include "platform/tick.h"
#include "eval/eval_masks.h"
#include "eval/params.h"
#include "eval/psqt.h"
#include "search/search_params.h"

void prepareParameters() {
  static bool done = false;
  if (done) return;
  done = true;
  // The mobility tables keep the weights in force before anything could change them.
  initEvalMasks();
  registerEvalParams();
  registerSearchParams();
}

void initEngineTables() {
  static bool built = false;
  if (built) return;
  built = true;
  prepareParameters();
  initBitTables();
  initAttackTables();
  initKeys();
  initPieceSquareTables();
  // The reference generator builds its own tables on first use; do it now, not on a GUI move.
  OldBoard scratch;
  resetOldBoard(scratch);
  RefMove moves[MaxRefMoves];
  generateMovesOld(scratch, White, moves);
  seedRandom(uint32_t(tickCount()));
}
