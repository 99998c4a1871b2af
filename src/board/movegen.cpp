#include "board/movegen.h"

#include "board/attacks.h"
#include "board/chess960.h"
#include "board/makemove.h"
#include "board/see.h"

namespace {

// Ordering scores of the legal generator, from the top: captures that win material, queen
// promotions, even captures, castling, under-promotions, quiet moves (plus history), losing
// captures. A capture carries its exchange value in units of 65536.
constexpr int32_t CastleScore = 0x200000;
constexpr int32_t QueenPromotionScore = 0x310000;
constexpr int32_t MinorPromotionScore = 0x1C0000;  // also a queen promotion that loses material
constexpr int32_t GoodCaptureBase = 0x300000;
constexpr int32_t BadCaptureBase = 0x100000;
constexpr int32_t QuietScore = 0x160000;
constexpr int attackerRank[7] = {0, 1, 3, 3, 5, 9, 10};
constexpr int victimRank[7] = {1, 1, 3, 3, 5, 9, 1};  // an empty target is the en-passant pawn

constexpr int forward(int c) { return c == White ? -8 : 8; }
constexpr int doubleStepRow(int c) { return c == White ? 6 : 1; }
constexpr int promotionRow(int c) { return c == White ? 0 : 7; }
constexpr int backRankBase(int c) { return c == White ? A1 : A8; }

// A colour's sliders grouped by the lines they move along.
struct Sliders {
  Bitboard diagonal;  // bishops and queens
  Bitboard straight;  // rooks and queens
};

inline Sliders slidersOf(const Board& b, int c) {
  const Bitboard queens = b.pieces(Queen, c);
  return {b.pieces(Bishop, c) | queens, b.pieces(Rook, c) | queens};
}

inline Bitboard sliderAttackersOf(int s, Bitboard occupancy, Sliders sliders) {
  return (rookAttacks(s, occupancy) & sliders.straight) | (bishopAttacks(s, occupancy) & sliders.diagonal);
}

// The square an en-passant capture lands on, as a set; empty when no capture is possible. A
// position set up from text is trusted only as far as an enemy pawn standing on `ep` and an
// empty square behind it.
inline Bitboard epTargetBit(const Board& b) {
  const int ep = b.st.ep;
  if (!ep) return 0;
  const int m = b.st.turn;
  const int target = ep + forward(m);
  if (!(b.pieces(Pawn, m ^ 1) & bitOf(ep)) || (b.occupancy() & bitOf(target))) return 0;
  return bitOf(target);
}

// En passant empties two squares at once: with both pawns between king and rook on one rank,
// a pin the per-piece test cannot see opens. Test the king against sliders directly.
inline bool epExposesKing(const Board& b, int from, int to) {
  const int m = b.st.turn;
  const Bitboard occupancy = (b.occupancy() ^ bitOf(from) ^ bitOf(b.st.ep)) | bitOf(to);
  return sliderAttackersOf(b.st.kingSquare[m], occupancy, slidersOf(b, m ^ 1)) != 0;
}

// Squares a non-king piece may move to while in check: the checker, the line to a checking
// slider, and the king's neighbourhood (a superset; every such move is verified afterwards).
Bitboard evasionTargets(const Board& b, int m, int k) {
  const int o = m ^ 1;
  const Bitboard near = kingAttacks[k];
  if (const Bitboard knight = knightAttacks[k] & b.pieces(Knight, o)) return near | knight;
  if (const Bitboard pawn = pawnAttacks(m, k) & b.pieces(Pawn, o)) {
    // The checking pawn may be taken en passant, landing behind it.
    return near | pawn | (pawn & bitOf(b.st.ep) ? epTargetBit(b) : 0);
  }
  const Bitboard occupancy = b.occupancy();
  const Sliders enemy = slidersOf(b, o);
  if (!sliderAttackersOf(k, occupancy, enemy)) return near;
  for (int d = 0; d < 8; ++d) {
    const int p = nearestOnRay(d, k, occupancy);
    if (p >= 0 && ((d & 1 ? enemy.diagonal : enemy.straight) & bitOf(p))) {
      return near | bitOf(p) | between[k][p];
    }
  }
  return near;
}

// Everything the legal generator needs to know about the side to move, computed once.
struct GenState {
  const Board& b;
  int m, o, k;
  Bitboard own, opp, occupancy;
  Sliders enemy;
  Bitboard pinLines;  // lines from the king that hold an enemy slider of the matching kind
  bool inCheck;

  explicit GenState(const Board& board)
      : b(board),
        m(board.st.turn),
        o(m ^ 1),
        k(board.st.kingSquare[m]),
        own(board.occupied(m)),
        opp(board.occupied(o)),
        occupancy(own | opp),
        enemy(slidersOf(board, o)),
        pinLines((rookReach[k] & enemy.straight) | (bishopReach[k] & enemy.diagonal)),
        inCheck(board.st.check) {}

  // The targets left to the piece on s: all of `allowed`, or only its line to the king when an
  // enemy slider pins it there.
  Bitboard pinFilter(int s, Bitboard allowed) const {
    const int d = direction[s][k];
    if (d == NoDirection || !(ray[d][k] & pinLines) || (between[s][k] & occupancy)) return allowed;
    const int p = nearestOnRay(d, s, occupancy);
    if (p < 0 || !((d & 1 ? enemy.diagonal : enemy.straight) & bitOf(p))) return allowed;
    return allowed & ray[d][k];
  }

  // While in check: does a non-king move from -> to (no en passant) leave the king safe?
  bool escapesCheck(int from, int to) const {
    const Bitboard after = (occupancy ^ bitOf(from)) | bitOf(to);
    const Bitboard alive = ~bitOf(to);  // a captured piece gives no check
    const Bitboard checkers =
        (knightAttacks[k] & b.pieces(Knight, o)) | (pawnAttacks(m, k) & b.pieces(Pawn, o)) |
        (kingAttacks[k] & bitOf(b.st.kingSquare[o])) | sliderAttackersOf(k, after, enemy);
    return !(checkers & alive);
  }

  bool epEscapesCheck(Move mv) const {
    Board copy = b;
    doMove(copy, mv);
    return !kingAttacked(copy, m);
  }
};

inline int addPawnMoves(const GenState& g, int s, Bitboard targets, Bitboard epBit, Move* out, int n) {
  while (targets) {
    const int to = popLowest(targets);
    const uint8_t from = uint8_t(s);
    if ((bitOf(to) & epBit) && fileOf(to) != fileOf(s)) {
      const Move mv{from, uint8_t(to), 0, MoveCapture | MoveEnPassant};
      if (epExposesKing(g.b, s, to) || (g.inCheck && !g.epEscapesCheck(mv))) continue;
      out[n++] = mv;
      continue;
    }
    if (g.inCheck && !g.escapesCheck(s, to)) continue;
    const uint8_t flags = g.opp & bitOf(to) ? MoveCapture : 0;
    if (rowOf(to) == promotionRow(g.m)) {
      for (int promotion : {Queen, Rook, Bishop, Knight})
        out[n++] = Move{from, uint8_t(to), uint8_t(promotion), flags};
    } else {
      out[n++] = Move{from, uint8_t(to), 0, flags};
    }
  }
  return n;
}

// Chess960 castling, king side first; legal as generated.
int addCastling960(const Board& b, Move* out, int n) {
  for (const bool kingSide : {true, false}) {
    CastlingPath p;
    if (canCastle960(b, kingSide) && castlingPath(b, kingSide, p)) out[n++] = castlingMove(p, kingSide);
  }
  return n;
}

inline int addPieceMoves(const GenState& g, int s, Bitboard targets, Move* out, int n) {
  while (targets) {
    const int to = popLowest(targets);
    if (g.inCheck && !g.escapesCheck(s, to)) continue;
    out[n++] = Move{uint8_t(s), uint8_t(to), 0, uint8_t(g.opp & bitOf(to) ? MoveCapture : 0)};
  }
  return n;
}

// Castling for the side to move when not in check; attacked(s) tells whether the opponent
// attacks square s. King side first.
template <class Attacked>
int addCastling(const Board& b, Move* out, int n, Attacked attacked) {
  const int m = b.st.turn;
  const uint8_t rights = b.st.castRights[m];
  if (!rights) return n;
  const int base = backRankBase(m);
  const uint8_t k = b.st.kingSquare[m];
  const Bitboard occupancy = b.occupancy();
  if ((rights & 0x0F) == 8 && !(occupancy & (bitOf(base + 5) | bitOf(base + 6))) && !attacked(base + 4) &&
      !attacked(base + 5) && !attacked(base + 6)) {
    out[n++] = Move{k, uint8_t(k + 2), 0, MoveCastle};
  }
  // The b-file square must be empty for the rook to pass, but the king never crosses it.
  if ((rights >> 4) == 1 && !(occupancy & (bitOf(base + 1) | bitOf(base + 2) | bitOf(base + 3))) &&
      !attacked(base + 2) && !attacked(base + 3) && !attacked(base + 4)) {
    out[n++] = Move{k, uint8_t(k - 2), 0, MoveCastle | MoveCastleLong};
  }
  return n;
}

int32_t captureScore(const Board& b, Move& mv) {
  const int s = see(b, mv, false);
  if (s >= 0) mv.flags |= MoveGoodCapture;
  return s * 65536 + (s >= 0 ? GoodCaptureBase : BadCaptureBase) -
         attackerRank[mailboxPiece(b.mailbox[mv.from])] + victimRank[mailboxPiece(b.mailbox[mv.to])];
}

int32_t promotionScore(const Board& b, Move& mv) {
  const bool queen = mv.promotion == Queen;
  // The exchange value decides a queen's rank, and a capturing promotion carries the same
  // goodCapture flag as any other capture.
  if (!queen && !(mv.flags & MoveCapture)) return MinorPromotionScore;
  const int s = see(b, mv, false);
  if (s >= 0 && (mv.flags & MoveCapture)) mv.flags |= MoveGoodCapture;
  return queen && s >= 0 ? QueenPromotionScore : MinorPromotionScore;
}

// Sets goodCapture on every capture; fills scores when asked for.
void scoreMoves(const Board& b, Move* moves, int n, int32_t* scores, const HistoryTable* history) {
  const int m = b.st.turn;
  for (int i = 0; i < n; ++i) {
    Move& mv = moves[i];
    int32_t score;
    if (mv.flags & MoveCastle) {
      score = CastleScore;
    } else if (mv.promotion) {
      if (!scores && !(mv.flags & MoveCapture)) continue;
      score = promotionScore(b, mv);
    } else if (mv.flags & MoveCapture) {
      score = captureScore(b, mv);
    } else {
      score = QuietScore;
      if (history) score += (*history)[m][mailboxPiece(b.mailbox[mv.from])][mv.to];
    }
    if (scores) scores[i] = score;
  }
}

inline int addPromotions(Move* out, int n, int from, int to, uint8_t flags, bool under) {
  out[n++] = Move{uint8_t(from), uint8_t(to), Queen, flags};
  if (under) {
    for (int promotion : {Rook, Knight, Bishop})
      out[n++] = Move{uint8_t(from), uint8_t(to), uint8_t(promotion), flags};
  }
  return n;
}


}  // namespace

int generateMoves(const Board& b, Move* out, int32_t* scores, const HistoryTable* history) {
  const GenState g(b);
  Bitboard allowed = ~(bitOf(g.k) | bitOf(b.st.kingSquare[g.o]));
  if (g.inCheck) allowed &= evasionTargets(b, g.m, g.k);
  const Bitboard epBit = epTargetBit(b);
  const int fwd = forward(g.m);
  int n = 0;

  Bitboard pieces = g.own & ~bitOf(g.k);
  while (pieces) {
    const int s = popLowest(pieces);
    const Bitboard targets = g.pinFilter(s, allowed);
    const int piece = mailboxPiece(b.mailbox[s]);
    switch (piece) {
      case Pawn: {
        Bitboard t = pawnAttacks(g.m, s) & (g.opp | epBit);
        if (!(g.occupancy & bitOf(s + fwd))) {
          t |= bitOf(s + fwd);
          if (rowOf(s) == doubleStepRow(g.m) && !(g.occupancy & bitOf(s + 2 * fwd))) t |= bitOf(s + 2 * fwd);
        }
        n = addPawnMoves(g, s, t & targets, epBit, out, n);
        break;
      }
      case Knight:
        n = addPieceMoves(g, s, knightAttacks[s] & ~g.own & targets, out, n);
        break;
      case Bishop:
        if (bishopReach[s] & targets & ~g.own) {
          n = addPieceMoves(g, s, bishopAttacks(s, g.occupancy) & ~g.own & targets, out, n);
        }
        break;
      case Rook:
        if (rookReach[s] & targets & ~g.own) {
          n = addPieceMoves(g, s, rookAttacks(s, g.occupancy) & ~g.own & targets, out, n);
        }
        break;
      case Queen:
        if ((rookReach[s] | bishopReach[s]) & targets & ~g.own) {
          n = addPieceMoves(g, s, queenAttacks(s, g.occupancy) & ~g.own & targets, out, n);
        }
        break;
    }
  }

  const Bitboard enemyMap = attackMap(b, g.o);
  const Bitboard kingTargets = kingAttacks[g.k] & ~g.own & ~enemyMap & ~bitOf(b.st.kingSquare[g.o]);
  // A Chess960 king may castle with no other move: its path can be the square it stands on.
  if (chess960 && !g.inCheck) n = addCastling960(b, out, n);
  if (kingTargets) {
    // Castling needs f1/d1 free of attack, a king target in its own right, so it only exists here.
    if (!g.inCheck && !chess960)
      n = addCastling(b, out, n, [enemyMap](int s) { return (enemyMap & bitOf(s)) != 0; });
    Bitboard t = kingTargets;
    while (t) {
      const int to = popLowest(t);
      out[n++] = Move{uint8_t(g.k), uint8_t(to), 0, uint8_t(g.opp & bitOf(to) ? MoveCapture : 0)};
    }
  }

  if (n) scoreMoves(b, out, n, scores, history);
  return n;
}

int generateTactical(const Board& b, Move* out, bool underPromotions) {
  const int m = b.st.turn, o = m ^ 1;
  const Bitboard occupancy = b.occupancy();
  const Bitboard victims = b.occupied(o) & ~bitOf(b.st.kingSquare[o]);
  const Bitboard epBit = epTargetBit(b);
  const int fwd = forward(m);
  int n = 0;

  Bitboard pawns = b.pieces(Pawn, m);
  while (pawns) {
    const int s = popLowest(pawns);
    Bitboard captures = pawnAttacks(m, s) & victims;
    while (captures) {
      const int to = popLowest(captures);
      if (rowOf(to) == promotionRow(m)) {
        n = addPromotions(out, n, s, to, MoveCapture, underPromotions);
      } else {
        out[n++] = Move{uint8_t(s), uint8_t(to), 0, MoveCapture};
      }
    }
    if (pawnAttacks(m, s) & epBit) {
      out[n++] = Move{uint8_t(s), uint8_t(lowestSquare(epBit)), 0, MoveCapture | MoveEnPassant};
    }
    if (rowOf(s + fwd) == promotionRow(m) && !(occupancy & bitOf(s + fwd))) {
      n = addPromotions(out, n, s, s + fwd, 0, underPromotions);
    }
  }

  for (int piece = Knight; piece <= Queen; ++piece) {
    Bitboard movers = b.pieces(piece, m);
    while (movers) {
      const int s = popLowest(movers);
      Bitboard t = pieceAttacks(piece, s, occupancy) & victims;
      while (t) out[n++] = Move{uint8_t(s), uint8_t(popLowest(t)), 0, MoveCapture};
    }
  }
  const int k = b.st.kingSquare[m];
  Bitboard t = kingAttacks[k] & victims;
  while (t) out[n++] = Move{uint8_t(k), uint8_t(popLowest(t)), 0, MoveCapture};
  return n;
}

int generateQuiet(const Board& b, Move* out) {
  const int m = b.st.turn, o = m ^ 1;
  const Bitboard occupancy = b.occupancy();
  const int fwd = forward(m);
  int n = 0;

  Bitboard pawns = b.pieces(Pawn, m);
  while (pawns) {
    const int s = popLowest(pawns);
    const int one = s + fwd;
    if (rowOf(one) == promotionRow(m) || (occupancy & bitOf(one))) continue;
    out[n++] = Move{uint8_t(s), uint8_t(one), 0, 0};
    if (rowOf(s) == doubleStepRow(m) && !(occupancy & bitOf(one + fwd))) {
      out[n++] = Move{uint8_t(s), uint8_t(one + fwd), 0, 0};
    }
  }

  for (int piece = Knight; piece <= Queen; ++piece) {
    Bitboard movers = b.pieces(piece, m);
    while (movers) {
      const int s = popLowest(movers);
      Bitboard t = pieceAttacks(piece, s, occupancy) & ~occupancy;
      while (t) out[n++] = Move{uint8_t(s), uint8_t(popLowest(t)), 0, 0};
    }
  }
  const int k = b.st.kingSquare[m];
  Bitboard t = kingAttacks[k] & ~occupancy;
  while (t) out[n++] = Move{uint8_t(k), uint8_t(popLowest(t)), 0, 0};

  if (chess960)
    n = addCastling960(b, out, n);
  else if (!b.st.check)
    n = addCastling(b, out, n, [&b, o, occupancy](int s) { return attackersOf(b, s, o, occupancy) != 0; });
  return n;
}

Bitboard pinnedPieces(const Board& b) {
  const int m = b.st.turn, k = b.st.kingSquare[m];
  const Bitboard occupancy = b.occupancy();
  const Sliders enemy = slidersOf(b, m ^ 1);
  Bitboard snipers = (rookReach[k] & enemy.straight) | (bishopReach[k] & enemy.diagonal);
  Bitboard pinned = 0;
  while (snipers) {
    const Bitboard line = between[popLowest(snipers)][k] & occupancy;
    if (line && !moreThanOne(line)) pinned |= line & b.occupied(m);
  }
  return pinned;
}

bool isLegalSpecial(const Board& b, Move mv, Bitboard pinned) {
  if (mv.flags & MoveCastle) return true;
  if (mv.flags & MoveEnPassant) return !epExposesKing(b, mv.from, mv.to);
  const int m = b.st.turn, k = b.st.kingSquare[m];
  if (mv.from == k) return !attackersOf(b, mv.to, m ^ 1, b.occupancy());
  if (!(pinned & bitOf(mv.from))) return true;
  return direction[mv.from][k] == direction[mv.to][k];
}

Bitboard attackMap(const Board& b, int side) {
  // Without the other king in the way, a king in check sees its retreat along the line attacked.
  const Bitboard occupancy = b.occupancy() & ~bitOf(b.st.kingSquare[side ^ 1]);
  const Bitboard pawns = b.pieces(Pawn, side);
  Bitboard map = kingAttacks[b.st.kingSquare[side]];
  if (side == White) {
    map |= ((pawns & ~FileABits) >> 9) | ((pawns & ~FileHBits) >> 7);
  } else {
    map |= ((pawns & ~FileABits) << 7) | ((pawns & ~FileHBits) << 9);
  }
  for (Bitboard x = b.pieces(Knight, side); x;) map |= knightAttacks[popLowest(x)];
  const Sliders own = slidersOf(b, side);
  for (Bitboard x = own.diagonal; x;) map |= bishopAttacks(popLowest(x), occupancy);
  for (Bitboard x = own.straight; x;) map |= rookAttacks(popLowest(x), occupancy);
  return map;
}

Bitboard attackersOf(const Board& b, int s, int c, Bitboard occupancy) {
  return (pawnAttackSources[c][s] & b.pieces(Pawn, c)) | (knightAttacks[s] & b.pieces(Knight, c)) |
         (kingAttacks[s] & bitOf(b.st.kingSquare[c])) | sliderAttackersOf(s, occupancy, slidersOf(b, c));
}
