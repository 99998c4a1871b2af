#include "tablebase/tablebase_set.h"

#include "board/bitboard.h"

TablebaseSet::TablebaseSet(const std::string& pathText, size_t cacheBytes)
    : paths(gtb::splitPathList(pathText)), reader(pathText, cacheBytes) {
  maxMen = gtb::maxMenFromAvailability(reader.availability());
}

bool buildTablebaseQuery(const Board& b, TablebaseQuery& q) {
  // The tables hold no castling rights: a position that still has one is not in them.
  if (b.st.castRights[White] || b.st.castRights[Black]) return false;
  q.stm = b.turn();
  // The engine keeps the square of the pawn that double-stepped; the reader wants the square
  // behind it, where the capturing pawn lands.
  const int ep = b.st.ep;
  q.epSquare = ep == 0 ? gtb::NoSquare : flipSquare(ep < 32 ? ep - 8 : ep + 8);
  for (int colour : {White, Black}) {
    int n = 0;
    for (Bitboard men = b.occupied(colour); men && n < TablebaseListSize - 1; ++n) {
      const int sq = popLowest(men);
      q.squares[colour][n] = flipSquare(sq);
      q.pieces[colour][n] = mailboxPiece(b.mailbox[sq]);
    }
    q.squares[colour][n] = gtb::NoSquare;
    q.pieces[colour][n] = gtb::NoPiece;
  }
  return true;
}

bool probeTablebase(TablebaseSet& set, const Board& b, gtb::Answer& answer) {
  TablebaseQuery q;
  if (!buildTablebaseQuery(b, q)) return false;
  if (!set.reader.probe(q.stm, q.epSquare, q.squares[White], q.squares[Black], q.pieces[White], q.pieces[Black],
                        answer))
    return false;
  return answer.outcome == gtb::Draw || answer.outcome == gtb::WhiteMates || answer.outcome == gtb::BlackMates;
}
