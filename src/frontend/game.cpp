#include "frontend/game.h"

void resetGame(Game& g) {
  resetBoard(g.board);
  resetOldBoard(g.old);
  g.oldSide = White;
  historyClear(g.history);
}
