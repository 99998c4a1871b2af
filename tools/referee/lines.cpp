#include "lines.h"

#include <sstream>
#include <vector>

#include "board/makemove.h"
#include "board/movetext.h"

namespace {

std::vector<std::string> words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> out;
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

bool isNumber(const std::string& w, bool signedAllowed) {
  size_t i = (signedAllowed && w.size() > 1 && w[0] == '-') ? 1 : 0;
  if (i == w.size() || w.size() - i > 18) return false;
  for (; i < w.size(); ++i)
    if (w[i] < '0' || w[i] > '9') return false;
  return true;
}

// Coordinates with an optional promotion letter: what a pv may hold. Legality is checked apart.
bool looksLikeMove(const std::string& w) {
  if (w.size() != 4 && !(w.size() == 5 && std::string("nbrq").find(w[4]) != std::string::npos)) return false;
  return w[0] >= 'a' && w[0] <= 'h' && w[1] >= '1' && w[1] <= '8' && w[2] >= 'a' && w[2] <= 'h' &&
         w[3] >= '1' && w[3] <= '8';
}

}  // namespace

bool legalMove(const Board& b, const std::string& token, Move& out) {
  UciMove um;
  // parseUciMove reads only the first characters; the whole token must be a move.
  return looksLikeMove(token) && parseUciMove(token, um) && findLegalMove(b, um, out);
}

std::string checkInfoLine(const Board& searched, const std::string& line) {
  const std::vector<std::string> w = words(line);
  if (w.empty() || w[0] != "info") return "not an info line";
  if (w.size() == 1) return "empty info line";
  for (size_t i = 1; i < w.size();) {
    const std::string& key = w[i++];
    const bool hasNext = i < w.size();
    if (key == "string") return "";  // free text to the end of the line
    if (key == "depth" || key == "seldepth" || key == "multipv" || key == "nodes" || key == "nps" ||
        key == "hashfull" || key == "tbhits" || key == "time" || key == "currmovenumber") {
      if (!hasNext || !isNumber(w[i], false)) return "no number after " + key;
      if (key == "hashfull" && std::stoll(w[i]) > 1000) return "hashfull above 1000";
      if ((key == "multipv" || key == "currmovenumber") && std::stoll(w[i]) == 0) return key + " 0";
      ++i;
    } else if (key == "score") {
      if (!hasNext || (w[i] != "cp" && w[i] != "mate")) return "score without cp or mate";
      if (i + 1 >= w.size() || !isNumber(w[i + 1], true)) return "no number after score " + w[i];
      i += 2;
      if (i < w.size() && (w[i] == "lowerbound" || w[i] == "upperbound")) ++i;
    } else if (key == "currmove") {
      Move m;
      if (!hasNext || !legalMove(searched, w[i], m)) return "currmove not legal: " + (hasNext ? w[i] : "");
      ++i;
    } else if (key == "pv") {
      // The line is played out move by move: every move must be legal where it stands.
      Board b = searched;
      const size_t first = i;
      for (; i < w.size() && looksLikeMove(w[i]); ++i) {
        Move m;
        if (!legalMove(b, w[i], m)) return "pv move " + std::to_string(i - first + 1) + " not legal: " + w[i];
        doMove(b, m);
      }
      if (i == first) return "empty pv";
    } else {
      return "unknown info keyword: " + key;
    }
  }
  return "";
}

std::string parseBestMove(const Board& b, const std::string& line, BestMove& out) {
  const std::vector<std::string> w = words(line);
  out.legal = out.hasPonder = false;
  if (w.empty() || w[0] != "bestmove") return "not a bestmove line";
  if (w.size() < 2) return "bestmove without a move";
  if (!legalMove(b, w[1], out.move)) return "illegal move " + w[1];
  out.legal = true;
  if (w.size() == 2) return "";
  if (w.size() != 4 || w[2] != "ponder") return "unexpected text after the move";
  Board after = b;
  doMove(after, out.move);
  if (!legalMove(after, w[3], out.ponder)) return "illegal ponder move " + w[3];
  out.hasPonder = true;
  return "";
}
