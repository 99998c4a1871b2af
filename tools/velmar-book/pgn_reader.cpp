#include "pgn_reader.h"

namespace {

// Blanks, line ends and the other control characters separate tokens.
bool isBlank(char c) { return c >= 0 && c <= ' '; }

bool endsToken(char c) { return isBlank(c) || isOneOf(c, "{}();[]"); }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// "12." and "12..." in front of a move, or alone; "0-0" is castling, not a number.
std::string_view withoutMoveNumber(std::string_view token) {
  size_t digits = 0;
  while (digits < token.size() && isDigit(token[digits])) ++digits;
  if (digits > 0 && (digits == token.size() || token[digits] != '.')) return token;
  size_t dots = digits;
  while (dots < token.size() && token[dots] == '.') ++dots;
  return token.substr(dots);
}

// "!", "?!", "+-", "=" and other symbols some writers put between the moves. "--" is a null
// move, which is a move, not a comment on one.
bool isAnnotation(std::string_view token) {
  if (token == "--") return false;
  for (char c : token)
    if (!isOneOf(c, "!?+-=/~<>") && static_cast<unsigned char>(c) < 0x80) return false;
  return true;
}

class PgnScanner {
 public:
  PgnScanner(std::string_view text, const std::string& file, const GameSink& onGame)
      : text_(text), file_(file), onGame_(onGame) {}

  void run() {
    while (pos_ < text_.size()) step();
    if (depth_ > 0) reportInputError(file_, variationLine_, "variation not closed by the end of the file");
    finishGame();
  }

 private:
  void step() {
    const char c = text_[pos_];
    if (c == '\n') {
      ++line_;
      ++pos_;
    } else if (isBlank(c)) {
      ++pos_;
    } else if (c == '%' && atLineStart()) {
      skipRestOfLine();  // escape line, for other programs' private data
    } else if (c == '[') {
      tagPair();
    } else if (c == '{') {
      comment();
    } else if (c == ';') {
      skipRestOfLine();
    } else if (c == '(') {
      openVariation();
    } else if (c == ')') {
      closeVariation();
    } else if (c == ']' || c == '}') {
      reportInputError(file_, line_, std::string("stray '") + c + "'");
      ++pos_;
    } else {
      token();
    }
  }

  bool atLineStart() const { return pos_ == 0 || text_[pos_ - 1] == '\n'; }

  void skipRestOfLine() {
    while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
  }

  void startGame() {
    if (inGame_) return;
    inGame_ = true;
    movetextSeen_ = false;
    game_ = GameRecord{};
    game_.firstLine = line_;
  }

  void finishGame() {
    if (inGame_) onGame_(game_);
    inGame_ = false;
    depth_ = 0;
  }

  void tagPair() {
    // Tags after movetext belong to the next game: the previous one lacked its result.
    if (inGame_ && movetextSeen_) {
      if (depth_ > 0) reportInputError(file_, variationLine_, "variation not closed before the next game");
      finishGame();
    }
    startGame();
    std::string name, value;
    if (!readTagPair(name, value)) {
      reportInputError(file_, line_, "malformed tag pair");
      skipRestOfLine();
      return;
    }
    if (name == "FEN") {
      game_.hasFen = true;
      game_.fen = value;
    } else if (name == "Result") {
      // The result at the end of the movetext has the last word; this covers a missing one.
      readResultToken(value, game_.result);
    }
  }

  // [Name "value"], with \" and \\ escaped inside the value; the line ends any tag.
  bool readTagPair(std::string& name, std::string& value) {
    size_t p = pos_ + 1;
    auto skipSpaces = [&] {
      while (p < text_.size() && (text_[p] == ' ' || text_[p] == '\t')) ++p;
    };
    skipSpaces();
    while (p < text_.size() && !isBlank(text_[p]) && text_[p] != '"' && text_[p] != ']') name += text_[p++];
    skipSpaces();
    if (name.empty() || p >= text_.size() || text_[p] != '"') return false;
    for (++p; p < text_.size() && text_[p] != '"'; ++p) {
      if (text_[p] == '\n') return false;
      if (text_[p] == '\\' && p + 1 < text_.size() && (text_[p + 1] == '"' || text_[p + 1] == '\\')) ++p;
      value += text_[p];
    }
    if (p >= text_.size()) return false;
    ++p;
    skipSpaces();
    if (p >= text_.size() || text_[p] != ']') return false;
    pos_ = p + 1;
    return true;
  }

  void comment() {
    const int startLine = line_;
    const size_t end = text_.find('}', pos_);
    const size_t stop = end == std::string_view::npos ? text_.size() : end + 1;
    for (; pos_ < stop; ++pos_)
      if (text_[pos_] == '\n') ++line_;
    if (end == std::string_view::npos)
      reportInputError(file_, startLine, "comment not closed by the end of the file");
  }

  void openVariation() {
    startGame();
    movetextSeen_ = true;
    if (depth_++ == 0) variationLine_ = line_;
    ++pos_;
  }

  void closeVariation() {
    if (depth_ == 0)
      reportInputError(file_, line_, "')' without a variation to close");
    else
      --depth_;
    ++pos_;
  }

  void token() {
    const size_t start = pos_;
    while (pos_ < text_.size() && !endsToken(text_[pos_])) ++pos_;
    if (pos_ == start) ++pos_;  // never stall on a character no rule takes
    const std::string_view word = text_.substr(start, pos_ - start);
    if (depth_ > 0) return;  // variation moves are somebody's analysis, not the game
    GameResult result;
    if (readResultToken(word, result)) {
      startGame();
      game_.result = result;
      finishGame();
      return;
    }
    // Move numbers, NAGs and symbols neither make a game nor start one.
    const std::string_view move = withoutMoveNumber(word);
    if (move.empty() || move[0] == '$' || move == "e.p." || isAnnotation(move)) return;
    startGame();
    movetextSeen_ = true;
    game_.moves.push_back(MoveToken{std::string(move), line_});
  }

  std::string_view text_;
  const std::string& file_;
  const GameSink& onGame_;
  size_t pos_ = 0;
  int line_ = 1;
  int depth_ = 0;
  int variationLine_ = 0;  // where the outermost open variation began
  bool inGame_ = false;
  bool movetextSeen_ = false;
  GameRecord game_;
};

}  // namespace

void readPgnGames(std::string_view text, const std::string& fileName, const GameSink& onGame) {
  PgnScanner(text, fileName, onGame).run();
}
