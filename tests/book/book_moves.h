// What book tests write into books: moves by their squares, and the start position's key.
#pragma once

#include <cstdint>

#include "board/oldboard.h"

inline uint32_t fromTo(const char* uci) {
  auto square = [](char file, char rank) { return uint32_t(8 * ('8' - rank) + (file - 'a')); };
  return square(uci[0], uci[1]) | square(uci[2], uci[3]) << 6;
}

inline uint64_t startKey() {
  OldBoard ob;
  resetOldBoard(ob);
  return ob.hash;
}
