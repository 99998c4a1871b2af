// velmar-book: builds the engine's opening book file from PGN games or UCI move lines.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "book/book.h"
#include "book_builder.h"
#include "frontend/startup.h"
#include "options.h"
#include "platform/replace_file.h"
#include "pgn_reader.h"
#include "uci_lines.h"

namespace {

bool readWholeFile(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream text;
  text << in.rdbuf();
  out = std::move(text).str();
  // Some editors start UTF-8 text with a byte-order mark; it is not part of the first game.
  if (out.rfind("\xEF\xBB\xBF", 0) == 0) out.erase(0, 3);
  return !in.bad();
}

size_t entryCount(const std::map<uint64_t, std::vector<BookEntry>>& book) {
  size_t n = 0;
  for (const auto& position : book) n += position.second.size();
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  ToolOptions options;
  std::string error;
  if (!parseToolOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "velmar-book: %s\n%s", printable(error).c_str(), usageText());
    return 2;
  }
  if (options.help) {
    std::fputs(usageText(), stdout);
    return 0;
  }
  // The keys and the reference generator's tables, as the engine builds them.
  initEngineTables();

  BookCounts counts;
  bool allRead = true;
  for (const std::string& file : options.inputs) {
    std::string text;
    if (!readWholeFile(file, text)) {
      std::fprintf(stderr, "velmar-book: cannot read %s\n", printable(file).c_str());
      allRead = false;
      continue;
    }
    const GameSink add = [&](const GameRecord& game) { addGame(counts, game, file, options.build.plies); };
    if (formatOf(options, file) == InputFormat::Pgn)
      readPgnGames(text, file, add);
    else
      readUciLineGames(text, file, add);
  }

  // A book from part of the input, or from none, would only replace a good one by a worse.
  const std::string output = printable(options.output);
  if (!allRead || counts.games == 0) {
    if (allRead) std::fprintf(stderr, "velmar-book: no games read\n");
    std::fprintf(stderr, "velmar-book: %s left as it was\n", output.c_str());
    return 1;
  }
  const auto book = selectBookEntries(counts, options.build);
  if (!replaceFile(options.output, bookFileBytes(book))) {
    std::fprintf(stderr, "velmar-book: cannot write %s\n", output.c_str());
    return 1;
  }
  std::printf("%d games (%d with errors), %zu positions and %zu moves written to %s\n", counts.games,
              counts.gamesWithErrors, book.size(), entryCount(book), output.c_str());
  return 0;
}
