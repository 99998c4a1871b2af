#include "board/movetext.h"

#include "board/makemove.h"
#include "board/movegen.h"

namespace {

void appendSquare(std::string& s, int sq) {
  s += fileLetters[fileOf(sq)];
  s += char('0' + rankOf(sq));
}

}  // namespace

std::string moveToUci(Move m) { return uciMoveText({m.from, m.to, m.promotion}); }

std::string uciMoveText(const UciMove& m) {
  std::string s;
  // Decoded squares are not range-checked; write them back modulo the board.
  appendSquare(s, m.from & 63);
  appendSquare(s, m.to & 63);
  if (m.promotion >= Knight && m.promotion <= Queen) s += promotionLetters[m.promotion];
  return s;
}

bool parseUciMove(const std::string& token, UciMove& out) {
  if (token.size() < 4) return false;
  auto square = [](char file, char rank) { return 8 * ('8' - rank) + ((file | 0x20) - 'a'); };
  out.from = square(token[0], token[1]);
  out.to = square(token[2], token[3]);
  out.promotion = 0;
  if (token.size() > 4) {
    switch (token[4] | 0x20) {
      case 'n': out.promotion = Knight; break;
      case 'b': out.promotion = Bishop; break;
      case 'r': out.promotion = Rook; break;
      case 'q': out.promotion = Queen; break;
    }
  }
  return true;
}

bool findLegalMove(const Board& b, const UciMove& um, Move& out) {
  Move moves[MaxMoves];
  int n = generateMoves(b, moves);
  for (int i = 0; i < n; ++i) {
    if (moves[i].from == um.from && moves[i].to == um.to && moves[i].promotion == um.promotion) {
      out = moves[i];
      return true;
    }
  }
  return false;
}

std::string moveToSan(const Board& b, Move m) {
  std::string s;
  if (isCastle(m)) {
    s = (m.flags & MoveCastleLong) ? "O-O-O" : "O-O";
  } else {
    static constexpr char sanLetters[] = "  NBRQK ";
    const int piece = mailboxPiece(b.mailbox[m.from]);
    if (piece != Pawn) s += sanLetters[piece];

    Move moves[MaxMoves];
    const int n = generateMoves(b, moves);
    int otherFile = 0, sameFile = 0;
    for (int i = 0; i < n; ++i) {
      const Move& o = moves[i];
      if (o.to != m.to || o.from == m.from || mailboxPiece(b.mailbox[o.from]) != piece) continue;
      if (fileOf(o.from) != fileOf(m.from))
        ++otherFile;
      else
        ++sameFile;
    }
    if (otherFile) s += fileLetters[fileOf(m.from)];
    if (sameFile) s += char('0' + rankOf(m.from));
    if (piece == Pawn && isCapture(m) && !otherFile && !sameFile) s += fileLetters[fileOf(m.from)];
    if (isCapture(m)) s += 'x';
    appendSquare(s, m.to);
    if (m.promotion) {
      s += '=';
      s += sanLetters[m.promotion];
    }
  }
  Board after = b;
  doMove(after, m);
  if (after.st.check) {
    Move replies[MaxMoves];
    s += generateMoves(after, replies) ? '+' : '#';
  }
  return s;
}
