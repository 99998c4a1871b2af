#include "uci_lines.h"

#include <vector>

namespace {

std::vector<std::string_view> splitWords(std::string_view line) {
  std::vector<std::string_view> words;
  size_t pos = 0;
  while (pos < line.size()) {
    const size_t start = line.find_first_not_of(" \t\r", pos);
    if (start == std::string_view::npos) break;
    size_t end = line.find_first_of(" \t\r", start);
    if (end == std::string_view::npos) end = line.size();
    words.push_back(line.substr(start, end - start));
    pos = end;
  }
  return words;
}

}  // namespace

void readUciLineGames(std::string_view text, const std::string& fileName, const GameSink& onGame) {
  int lineNumber = 0;
  for (size_t pos = 0; pos < text.size();) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    ++lineNumber;
    const std::vector<std::string_view> words = splitWords(line);
    if (words.empty() || words[0][0] == '#') continue;
    GameRecord game;
    game.firstLine = lineNumber;
    game.notation = MoveNotation::Uci;
    for (size_t i = 0; i < words.size(); ++i) {
      if (readResultToken(words[i], game.result)) {
        if (i + 1 < words.size()) reportInputError(fileName, lineNumber, "text after the result ignored");
        break;
      }
      game.moves.push_back(MoveToken{std::string(words[i]), lineNumber});
    }
    onGame(game);
  }
}
