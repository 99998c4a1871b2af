// velmar-book's readers: the first byte picks PGN (even) or UCI move lines (odd), the rest is
// the file. Every game is played into the counts as the tool does, and the book written from
// them reads back with the engine's loader as the same positions and moves.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "book/book.h"
#include "book_builder.h"
#include "frontend/startup.h"
#include "pgn_reader.h"
#include "uci_lines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (initEngineTables(), true);
  (void)ready;
  if (size == 0) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string file = "fuzz";
  BookCounts counts;
  const GameSink add = [&](const GameRecord& game) { addGame(counts, game, file, 24); };
  if (data[0] % 2 == 0)
    readPgnGames(text, file, add);
  else
    readUciLineGames(text, file, add);

  const auto selected = selectBookEntries(counts, BuildSettings{});
  std::string bytes = bookFileBytes(selected);
  std::FILE* f = fmemopen(bytes.data(), bytes.size(), "rb");
  if (!f) std::abort();
  OpeningBook book;
  readBook(book, f);
  std::fclose(f);
  if (book.positions.size() != selected.size()) std::abort();
  for (const auto& [key, entries] : selected) {
    const auto it = book.positions.find(key);
    if (it == book.positions.end() || it->second.size() != entries.size()) std::abort();
    for (size_t i = 0; i < entries.size(); ++i)
      if (it->second[i].move != entries[i].move || it->second[i].value != entries[i].value) std::abort();
  }
  return 0;
}
