#include "move_lookup.h"

#include <cstdlib>

#include "game_record.h"

namespace {

struct SanParts {
  bool castle = false;
  bool castleLong = false;
  int piece = Pawn;
  int fromFile = -1;
  int fromRow = -1;
  int to = -1;
  int promotion = NoPiece;
};

int pieceOfLetter(char c) {
  switch (c) {
    case 'N':
    case 'n': return Knight;
    case 'B':
    case 'b': return Bishop;
    case 'R':
    case 'r': return Rook;
    case 'Q':
    case 'q': return Queen;
    case 'K': return King;
    default: return NoPiece;
  }
}

bool isFile(char c) { return c >= 'a' && c <= 'h'; }
bool isRank(char c) { return c >= '1' && c <= '8'; }
int rowOfRank(char c) { return '8' - c; }

int squareAt(std::string_view text) { return makeSquare(rowOfRank(text[1]), text[0] - 'a'); }

bool endsWith(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

// Reads the piece, the target and promotion and the disambiguation hints. Capture marks and
// dashes between the squares carry nothing the legal moves do not already say.
bool parseSan(std::string_view s, SanParts& p) {
  while (!s.empty() && isOneOf(s.back(), "+#!?")) s.remove_suffix(1);
  if (endsWith(s, "e.p.")) s.remove_suffix(4);
  if (s == "O-O" || s == "0-0" || s == "O-O-O" || s == "0-0-0") {
    p.castle = true;
    p.castleLong = s.size() == 5;
    return true;
  }
  if (s.empty()) return false;
  size_t first = 0;
  if (isOneOf(s[0], "NBRQK")) {
    p.piece = pieceOfLetter(s[0]);
    first = 1;
  } else if (s[0] == 'P') {
    first = 1;
  }
  size_t end = s.size();
  if (end >= 2 && s[end - 2] == '=') {
    p.promotion = pieceOfLetter(s[end - 1]);
    if (p.promotion == NoPiece || p.promotion == King) return false;
    end -= 2;
  } else if (end >= 3 && isRank(s[end - 2]) && pieceOfLetter(s[end - 1]) != NoPiece && s[end - 1] != 'K') {
    p.promotion = pieceOfLetter(s[end - 1]);
    end -= 1;
  }
  if (p.promotion != NoPiece && p.piece != Pawn) return false;
  if (end < first + 2 || !isFile(s[end - 2]) || !isRank(s[end - 1])) return false;
  p.to = squareAt(s.substr(end - 2, 2));
  std::string_view hints = s.substr(first, end - 2 - first);
  while (!hints.empty() && isOneOf(hints.back(), "x:-")) hints.remove_suffix(1);
  if (!hints.empty() && isFile(hints[0])) {
    p.fromFile = hints[0] - 'a';
    hints.remove_prefix(1);
  }
  if (!hints.empty() && isRank(hints[0])) {
    p.fromRow = rowOfRank(hints[0]);
    hints.remove_prefix(1);
  }
  return hints.empty();
}

bool fits(const OldBoard& ob, RefMove move, const SanParts& p) {
  const int from = packedFrom(move.packed), to = packedTo(move.packed);
  const int piece = oldPiece(ob.squares[from]);
  if (p.castle) {
    // The reference board castles by moving the king two files.
    const int step = (to & 7) - (from & 7);
    return piece == King && std::abs(step) == 2 && (step < 0) == p.castleLong;
  }
  return piece == p.piece && to == p.to && packedPromotion(move.packed) == p.promotion &&
         (p.fromFile < 0 || fileOf(from) == p.fromFile) && (p.fromRow < 0 || rowOf(from) == p.fromRow);
}

}  // namespace

Lookup findSanMove(const OldBoard& ob, const RefMove* legal, int count, std::string_view san, RefMove& out) {
  if (san == "--" || san == "Z0") return Lookup::NullMove;
  SanParts parts;
  if (!parseSan(san, parts)) return Lookup::Unreadable;
  int matches = 0;
  for (int i = 0; i < count; ++i) {
    if (!fits(ob, legal[i], parts)) continue;
    if (matches++ == 0) out = legal[i];
  }
  if (matches > 1) return Lookup::Ambiguous;
  return matches == 1 ? Lookup::Found : Lookup::Illegal;
}

Lookup findUciMove(const RefMove* legal, int count, std::string_view uci, RefMove& out) {
  if (uci == "0000") return Lookup::NullMove;
  if (uci.size() < 4 || uci.size() > 5 || !isFile(uci[0]) || !isRank(uci[1]) || !isFile(uci[2]) ||
      !isRank(uci[3]))
    return Lookup::Unreadable;
  int promotion = NoPiece;
  if (uci.size() == 5) {
    promotion = pieceOfLetter(uci[4]);
    if (promotion == NoPiece || promotion == King) return Lookup::Unreadable;
  }
  const PackedMove wanted = packMove(squareAt(uci.substr(0, 2)), squareAt(uci.substr(2, 2)), promotion);
  for (int i = 0; i < count; ++i) {
    if (legal[i].packed == wanted) {
      out = legal[i];
      return Lookup::Found;
    }
  }
  return Lookup::Illegal;
}

const char* lookupProblem(Lookup result) {
  switch (result) {
    case Lookup::Found: return "legal move";
    case Lookup::Unreadable: return "unreadable move";
    case Lookup::Illegal: return "illegal move";
    case Lookup::Ambiguous: return "ambiguous move";
    case Lookup::NullMove: return "null move (not supported)";
  }
  return "bad move";
}
