// Book file bytes: whatever loads, a probe from the initial position answers with one of its
// legal moves or none.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "book/book.h"
#include "board/oldboard.h"
#include "frontend/startup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (initEngineTables(), true);
  (void)ready;
  if (size == 0) return 0;  // fmemopen wants a buffer
  std::FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (!f) return 0;
  OpeningBook book;
  readBook(book, f);
  std::fclose(f);
  OldBoard start;
  resetOldBoard(start);
  RefMove moves[MaxRefMoves];
  const int count = generateMovesOld(start, White, moves);
  for (const auto& [key, entries] : book.positions) {
    if (entries.empty()) std::abort();  // a position is only made by an entry
    const int chosen = probeBook(book, key, moves, count);
    if (chosen < -1 || chosen >= count) std::abort();
  }
  return 0;
}
