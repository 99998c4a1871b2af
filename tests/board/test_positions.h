// Positions for tests: a Board (and its reference twin) from FEN, with the tables built.
#pragma once

#include <gtest/gtest.h>

#include "board/board.h"
#include "board/oldboard.h"
#include "frontend/startup.h"

inline Board boardFromFen(const char* fen) {
  initEngineTables();
  OldBoard ob;
  resetOldBoard(ob);
  int side = White;
  EXPECT_TRUE(parseFen(ob, fen, &side, nullptr)) << fen;
  Board b;
  boardFromOld(b, ob, side);
  return b;
}

inline Board startBoard() {
  initEngineTables();
  Board b;
  resetBoard(b);
  return b;
}
