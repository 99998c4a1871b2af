// One game as an input file gives it: where it starts, its main-line moves as written, how it ended.
#pragma once

#include <string>
#include <string_view>
#include <vector>

enum class GameResult { Unknown, WhiteWins, BlackWins, Draw };

enum class MoveNotation { San, Uci };

struct MoveToken {
  std::string text;
  int line;  // where the token stands in its file, for error messages
};

struct GameRecord {
  int firstLine = 0;
  bool hasFen = false;
  std::string fen;
  GameResult result = GameResult::Unknown;
  MoveNotation notation = MoveNotation::San;
  std::vector<MoveToken> moves;
};

// "1-0", "0-1", "1/2-1/2" and "*" end a game in both input formats; false for any other token.
bool readResultToken(std::string_view token, GameResult& result);

// Is c one of the characters of set. Unlike strchr, a NUL in the input is never a member.
inline bool isOneOf(char c, std::string_view set) { return set.find(c) != std::string_view::npos; }

// Bad input is named as "file:line: message" on standard error; the caller goes on.
void reportInputError(const std::string& file, int line, const std::string& message);

// Text from an input file or the command line as it may go to a terminal: control bytes
// written as \xHH, so that no escape sequence in a file can act on the terminal.
std::string printable(std::string_view text);
