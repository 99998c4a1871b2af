#include "search/move_picker.h"

#include <algorithm>
#include <cstdint>

#include "board/attacks.h"
#include "board/chess960.h"
#include "board/makemove.h"
#include "board/keys.h"
#include "board/see.h"
#include "eval/psqt.h"

namespace {

// The key after a move as far as the pieces and the en-passant square go (a change of castling
// rights is left out): near enough to fetch the child's bucket early.
uint64_t approximateChildKey(const Board& b, Move m) {
  const int c = b.st.turn;
  const int p = mailboxPiece(b.mailbox[m.from]);
  uint64_t key = b.hash ^ zobristTurn[1] ^ pieceKey(c, p, m.from) ^ pieceKey(c, m.promotion ? m.promotion : p, m.to);
  if (const uint8_t victim = b.mailbox[m.to]) key ^= pieceKey(c ^ 1, mailboxPiece(victim), m.to);
  if (isEnPassant(m)) key ^= pieceKey(c ^ 1, Pawn, b.st.ep);
  if (b.st.ep) key ^= zobristEp[b.st.ep];
  return key;
}

// Ordering bands, multiples of 65536 (the range of a history counter): the terms added within a
// band order the moves inside it.
constexpr int32_t Band = 65536;
constexpr int32_t HashMoveScore = INT32_MAX;
constexpr int32_t MateKillerScore = INT32_MAX - 1;
constexpr int32_t QueenPromotionScore = 49 * Band;
constexpr int32_t CaptureScore = 48 * Band;
constexpr int32_t CastleScore = 32 * Band;
constexpr int32_t KillerScore = 23 * Band;  // the second killer one below
constexpr int32_t QuietScore = 22 * Band;
constexpr int32_t UnderPromotionScore = 0;

// Most valuable victim, least valuable attacker: none, pawn, knight, bishop, rook, queen, king.
constexpr int orderValue[7] = {0, 1, 3, 3, 5, 9, 10};

// Above this much phase material the quiet moves are steered by the opening tables.
constexpr int OpeningMaterial = 4585;

constexpr int forward(int c) { return c == White ? -8 : 8; }
constexpr int doubleStepRow(int c) { return c == White ? 6 : 1; }
constexpr int promotionRow(int c) { return c == White ? 0 : 7; }
constexpr int backRankBase(int c) { return c == White ? A1 : A8; }
constexpr uint8_t KnownFlags = MoveCapture | MoveCastle | MoveCastleLong | MoveEnPassant | MoveGoodCapture;

// Castling as the legal generator offers it: the right, the squares between king and rook
// empty, and the king's start, crossing and target squares not attacked.
bool canCastle(const Board& b, bool kingSide) {
  if (chess960) return canCastle960(b, kingSide);
  if (b.st.check) return false;
  const int m = b.st.turn, o = m ^ 1, base = backRankBase(m);
  const uint8_t rights = b.st.castRights[m];
  const Bitboard occupancy = b.occupancy();
  const auto attacked = [&](int s) { return attackersOf(b, s, o, occupancy) != 0; };
  if (kingSide) {
    return (rights & 0x0F) == 8 && !(occupancy & (bitOf(base + 5) | bitOf(base + 6))) &&
           !attacked(base + 4) && !attacked(base + 5) && !attacked(base + 6);
  }
  // The rook passes the b-file square, the king does not: it must be empty, not safe.
  return (rights >> 4) == 1 && !(occupancy & (bitOf(base + 1) | bitOf(base + 2) | bitOf(base + 3))) &&
         !attacked(base + 2) && !attacked(base + 3) && !attacked(base + 4);
}

// The square an en-passant capture lands on, or -1 when none is possible.
int enPassantTarget(const Board& b) {
  const int ep = b.st.ep;
  if (!ep) return -1;
  const int m = b.st.turn, target = ep + forward(m);
  if (!(b.pieces(Pawn, m ^ 1) & bitOf(ep)) || (b.occupancy() & bitOf(target))) return -1;
  return target;
}


bool castleHasShape(const Board& b, Move mv) {
  const int k = b.st.kingSquare[b.st.turn];
  if (mv.from != k || mv.promotion) return false;
  if (chess960) {
    const bool kingSide = mv.flags == MoveCastle;
    CastlingPath p;
    if (mv.flags != MoveCastle && mv.flags != (MoveCastle | MoveCastleLong)) return false;
    return castlingPath(b, kingSide, p) && mv.to == p.rookFrom && canCastle960(b, kingSide);
  }
  if (mv.flags == MoveCastle && mv.to == k + 2) return canCastle(b, true);
  if (mv.flags == (MoveCastle | MoveCastleLong) && mv.to == k - 2) return canCastle(b, false);
  return false;
}

bool pawnMoveHasShape(const Board& b, Move mv, bool capture) {
  const int m = b.st.turn, fwd = forward(m);
  if ((rowOf(mv.to) == promotionRow(m)) != (mv.promotion != 0)) return false;
  if (mv.promotion && (mv.promotion < Knight || mv.promotion > Queen)) return false;
  if (capture) return (pawnAttacks(m, mv.from) & bitOf(mv.to)) != 0;
  if (mv.to == mv.from + fwd) return true;
  return mv.to == mv.from + 2 * fwd && rowOf(mv.from) == doubleStepRow(m) &&
         !(b.occupancy() & bitOf(mv.from + fwd));
}

// Could the piece on the from-square make this move by the rules of movement, with exactly the
// flags the generators would give it (goodCapture aside)? Legality with respect to the own king
// is left to the caller.
bool hasPseudoLegalShape(const Board& b, Move mv, int piece) {
  if (mv.flags & MoveCastle) return piece == King && castleHasShape(b, mv);
  if (mv.flags & MoveCastleLong) return false;
  if (mv.flags & MoveEnPassant) {
    return piece == Pawn && (mv.flags & MoveCapture) && !mv.promotion && mv.to == enPassantTarget(b) &&
           (pawnAttacks(b.st.turn, mv.from) & bitOf(mv.to));
  }
  const uint8_t target = b.mailbox[mv.to];
  const bool enemy = target && mailboxColour(target) != b.st.turn;
  if (target && (!enemy || mailboxPiece(target) == King)) return false;
  if (bool(mv.flags & MoveCapture) != enemy) return false;
  if (piece == Pawn) return pawnMoveHasShape(b, mv, enemy);
  return !mv.promotion && (pieceAttacks(piece, mv.from, b.occupancy()) & bitOf(mv.to));
}

// In check the pin-based test does not apply: play the move and look at the king.
bool evadesCheck(const Board& b, Move mv) {
  Board copy = b;
  doMove(copy, mv);
  return !kingAttacked(copy, b.st.turn);
}

// Own pieces that are the only piece between an own slider and the enemy king: moving one off
// that line uncovers a check.
Bitboard discoveringPieces(const Board& b) {
  const int m = b.st.turn, ek = b.st.kingSquare[m ^ 1];
  const Bitboard occupancy = b.occupancy();
  const Bitboard queens = b.pieces(Queen, m);
  Bitboard snipers = (bishopReach[ek] & (b.pieces(Bishop, m) | queens)) |
                     (rookReach[ek] & (b.pieces(Rook, m) | queens));
  Bitboard found = 0;
  while (snipers) {
    const Bitboard line = between[popLowest(snipers)][ek] & occupancy;
    if (line && !moreThanOne(line)) found |= line & b.occupied(m);
  }
  return found;
}

// The quiet moves that check the enemy king, for the last ply of quiescence: pushes short of
// the seventh rank, piece moves to empty squares, king moves that uncover a check, and castling
// when the rook lands with check. Pseudo-legal; legality and safety are tested on selection.
int generateQuietChecks(const Board& b, Move* out) {
  const int m = b.st.turn, ek = b.st.kingSquare[m ^ 1], fwd = forward(m);
  const Bitboard occupancy = b.occupancy();
  const Bitboard discovering = discoveringPieces(b);
  // Leaving the line through the enemy king is what uncovers the check.
  const auto uncovers = [&](int from, int to) {
    return (discovering & bitOf(from)) && direction[to][ek] != direction[from][ek];
  };
  int n = 0;

  const Bitboard pawnChecks = pawnAttackSources[m][ek];
  const Bitboard lastRows = rowBits(promotionRow(m)) | rowBits(promotionRow(m) - fwd / 8);
  for (Bitboard pawns = b.pieces(Pawn, m); pawns;) {
    const int s = popLowest(pawns);
    const int one = s + fwd;
    if ((occupancy & bitOf(one)) || (lastRows & bitOf(one))) continue;
    // A pawn on the enemy king's file stays on the line it blocks.
    const bool discovers = (discovering & bitOf(s)) && fileOf(s) != fileOf(ek);
    if (discovers || (pawnChecks & bitOf(one))) out[n++] = Move{uint8_t(s), uint8_t(one), 0, 0};
    const int two = one + fwd;
    if (rowOf(s) == doubleStepRow(m) && !(occupancy & bitOf(two)) &&
        (discovers || (pawnChecks & bitOf(two)))) {
      out[n++] = Move{uint8_t(s), uint8_t(two), 0, 0};
    }
  }

  const Bitboard diagonalChecks = bishopAttacks(ek, occupancy);
  const Bitboard straightChecks = rookAttacks(ek, occupancy);
  const Bitboard checkSquares[7] = {0, 0, knightAttacks[ek], diagonalChecks, straightChecks,
                                    diagonalChecks | straightChecks, 0};
  for (int piece = Knight; piece <= Queen; ++piece) {
    for (Bitboard movers = b.pieces(piece, m); movers;) {
      const int s = popLowest(movers);
      for (Bitboard t = pieceAttacks(piece, s, occupancy) & ~occupancy; t;) {
        const int to = popLowest(t);
        if ((checkSquares[piece] & bitOf(to)) || uncovers(s, to)) {
          out[n++] = Move{uint8_t(s), uint8_t(to), 0, 0};
        }
      }
    }
  }

  const int k = b.st.kingSquare[m];
  if (discovering & bitOf(k)) {
    for (Bitboard t = kingAttacks[k] & ~occupancy; t;) {
      const int to = popLowest(t);
      if (uncovers(k, to)) out[n++] = Move{uint8_t(k), uint8_t(to), 0, 0};
    }
  }

  const int base = backRankBase(m);
  for (const bool kingSide : {true, false}) {
    if (!canCastle(b, kingSide)) continue;
    if (chess960) {
      CastlingPath p;
      castlingPath(b, kingSide, p);
      const Bitboard after = (occupancy & ~bitOf(p.kingFrom) & ~bitOf(p.rookFrom)) | bitOf(p.kingTo) | bitOf(p.rookTo);
      if (rookAttacks(p.rookTo, after) & bitOf(ek)) out[n++] = castlingMove(p, kingSide);
      continue;
    }
    const int kingTo = kingSide ? k + 2 : k - 2;
    const int rookFrom = kingSide ? base + 7 : base;
    const int rookTo = kingSide ? base + 5 : base + 3;
    const Bitboard after = occupancy ^ bitOf(k) ^ bitOf(kingTo) ^ bitOf(rookFrom) ^ bitOf(rookTo);
    if (rookAttacks(rookTo, after) & bitOf(ek)) {
      const uint8_t flags = kingSide ? MoveCastle : MoveCastle | MoveCastleLong;
      out[n++] = Move{uint8_t(k), uint8_t(kingTo), 0, flags};
    }
  }
  return n;
}

}  // namespace

MovePicker::MovePicker(const Board& b, int /*ply: its row comes in directly*/, Move hashMove, PickerMode mode,
                       const PlyRecord& row, const HistoryTable& history)
    : b_(b),
      row_(row),
      history_(history),
      hashMove_(hashMove),
      mode_(mode),
      stage_(b.st.check ? Stage::EvasionHashMove : Stage::HashMove) {}

bool MovePicker::next(Move& out) {
  for (;;) {
    switch (stage_) {
      case Stage::HashMove:
        stage_ = Stage::MateKiller;
        if (takeEarly(hashMove_, out)) return true;
        break;
      case Stage::MateKiller:
        stage_ = Stage::GenerateTactical;
        if (takeEarly(row_.mateKiller, out)) return true;
        break;
      case Stage::GenerateTactical:
        // Under-promotions only matter where every move is searched.
        count_ = generateTactical(b_, moves_, mode_ == PickerMode::Main);
        next_ = 0;
        scoreTactical();
        if (tt_) {
          for (int i = 0; i < std::min(count_, 8); ++i) tt_->prefetch(approximateChildKey(b_, moves_[i]));
        }
        stage_ = Stage::Tactical;
        break;
      case Stage::Tactical:
        if (nextTactical(out)) return true;
        stage_ = mode_ == PickerMode::Main               ? Stage::FirstKiller
                 : mode_ == PickerMode::QuiescenceChecks ? Stage::GenerateChecks
                                                         : Stage::Done;
        break;
      // Killers are quiet by construction; a capture here would also come from the tactical stage.
      case Stage::FirstKiller:
        stage_ = Stage::SecondKiller;
        if (isQuiet(row_.killers[0]) && takeEarly(row_.killers[0], out)) return true;
        break;
      case Stage::SecondKiller:
        stage_ = Stage::GenerateQuiet;
        if (isQuiet(row_.killers[1]) && takeEarly(row_.killers[1], out)) return true;
        break;
      case Stage::GenerateQuiet:
        count_ = generateQuiet(b_, moves_);
        next_ = 0;
        scoreQuiet();
        stage_ = Stage::Quiet;
        break;
      case Stage::Quiet:
        if (nextQuiet(out)) return true;
        stage_ = Stage::LosingCaptures;
        break;
      case Stage::LosingCaptures:
        if (nextLosingCapture(out)) return true;
        stage_ = Stage::Done;
        break;
      case Stage::GenerateChecks:
        count_ = generateQuietChecks(b_, moves_);
        next_ = 0;
        scoreQuiet();
        stage_ = Stage::Checks;
        break;
      case Stage::Checks:
        if (nextCheck(out)) return true;
        stage_ = Stage::Done;
        break;
      case Stage::EvasionHashMove:
        stage_ = Stage::GenerateEvasions;
        // In check the pins are not consulted: the move is played and the king looked at.
        if (!isNullMove(hashMove_) && isMoveValid(b_, hashMove_, 0)) {
          hashReturned_ = true;
          out = hashMove_;
          return true;
        }
        break;
      case Stage::GenerateEvasions:
        scoreEvasions();
        stage_ = Stage::Evasions;
        break;
      case Stage::Evasions:
        if (nextEvasion(out)) return true;
        stage_ = Stage::Done;
        break;
      case Stage::Done:
        return false;
    }
  }
}

bool MovePicker::takeEarly(Move m, Move& out) {
  if (isNullMove(m) || alreadyReturned(m) || !isMoveValid(b_, m, pinned())) return false;
  returned_[returnedCount_++] = m;
  out = m;
  return true;
}

bool MovePicker::alreadyReturned(Move m) const {
  for (int i = 0; i < returnedCount_; ++i) {
    if (moveEqual(returned_[i], m)) return true;
  }
  return false;
}

// A generated move can match an early one only once, so later stages need not look for it.
void MovePicker::forgetReturned(Move m) {
  for (int i = 0; i < returnedCount_; ++i) {
    if (moveEqual(returned_[i], m)) {
      returned_[i] = returned_[--returnedCount_];
      return;
    }
  }
}

// Inlined into each stage's loop: it runs once for every move a stage hands out.
[[gnu::always_inline]] inline Move MovePicker::selectBest() {
  // One pass without a branch: keys are unique and rank by score, then by place, so the
  // largest is the first entry holding the highest score. Four running maxima shorten the
  // chain; the lowest keys past the end let the scan go by whole fours. (The counts are read
  // once: a move written through its bytes could be any member, for the compiler.)
  const int front = next_, end = count_;
  int64_t m0 = keys_[front], m1 = keys_[front + 1], m2 = keys_[front + 2], m3 = keys_[front + 3];
  for (int i = front + 4; i < end; i += 4) {
    m0 = std::max(m0, keys_[i]);
    m1 = std::max(m1, keys_[i + 1]);
    m2 = std::max(m2, keys_[i + 2]);
    m3 = std::max(m3, keys_[i + 3]);
  }
  const int best = keyIndex(std::max(std::max(m0, m1), std::max(m2, m3)));
  const Move m = moves_[best];
  // The front entry fills the hole; a hole in the last place is simply cut off instead (the copy
  // into it is then dropped with it), without a branch either way.
  const bool last = best == end - 1;
  keys_[best] = orderKey(keyScore(keys_[front]), best);
  moves_[best] = moves_[front];
  next_ = front + !last;
  count_ = end - last;
  keys_[end - last] = LowestKey;
  return m;
}

bool MovePicker::nextTactical(Move& out) {
  while (next_ < count_) {
    Move m = selectBest();
    if (alreadyReturned(m)) {
      forgetReturned(m);
      continue;
    }
    if (isCapture(m)) {
      // Exchanges that lose material wait until every quiet move had its turn; the quiescence
      // search never plays them.
      if (see(b_, m, true) < 0) {
        if (mode_ == PickerMode::Main) deferred_[deferredCount_++] = m;
        continue;
      }
      m.flags |= MoveGoodCapture;
    }
    if (!isLegal(b_, m, pinned())) continue;
    out = m;
    return true;
  }
  return false;
}

bool MovePicker::nextQuiet(Move& out) {
  while (next_ < count_) {
    const Move m = selectBest();
    if (alreadyReturned(m) || !isLegal(b_, m, pinned())) continue;
    out = m;
    return true;
  }
  return false;
}

bool MovePicker::nextLosingCapture(Move& out) {
  while (deferredNext_ < deferredCount_) {
    const Move m = deferred_[deferredNext_++];
    if (alreadyReturned(m) || !isLegal(b_, m, pinned())) continue;
    out = m;
    return true;
  }
  return false;
}

bool MovePicker::nextCheck(Move& out) {
  while (next_ < count_) {
    const Move m = selectBest();
    // A checking piece that is simply taken is no threat worth the extra ply.
    if (alreadyReturned(m) || !isLegal(b_, m, pinned()) || see(b_, m, true) < 0) continue;
    out = m;
    return true;
  }
  return false;
}

bool MovePicker::nextEvasion(Move& out) {
  while (next_ < count_) {
    const Move m = selectBest();
    if (hashReturned_ && moveEqual(m, hashMove_)) continue;
    out = m;
    return true;
  }
  return false;
}

void MovePicker::scoreTactical() {
  for (int i = 0; i < count_; ++i) {
    const Move m = moves_[i];
    int32_t score;
    if (m.promotion) {
      score = m.promotion == Queen ? QueenPromotionScore : UnderPromotionScore;
    } else {
      // The en-passant target square is empty; the pawn taken counts as the victim.
      const int victim = isEnPassant(m) ? orderValue[Pawn] : orderValue[mailboxPiece(b_.mailbox[m.to])];
      const int attacker = orderValue[mailboxPiece(b_.mailbox[m.from])];
      score = CaptureScore + 16 * victim - attacker;
    }
    keys_[i] = orderKey(score, i);
  }
  endKeys();
}

void MovePicker::scoreQuiet() {
  const int side = b_.st.turn;
  const int phase = b_.mat.tmat > OpeningMaterial ? Opening : Endgame;
  for (int i = 0; i < count_; ++i) {
    const Move m = moves_[i];
    int32_t score = CastleScore;
    if (!isCastle(m)) {
      const int piece = mailboxPiece(b_.mailbox[m.from]);
      score = QuietScore + history_[side][piece][m.to] + pieceSquareTables[phase][side][piece][m.to];
    }
    keys_[i] = orderKey(score, i);
  }
  endKeys();
}

// The generator scored the evasions; the search's own knowledge of this ply comes on top.
void MovePicker::scoreEvasions() {
  int32_t scores[MaxMoves];
  count_ = generateMoves(b_, moves_, scores, &history_);
  next_ = 0;
  for (int i = 0; i < count_; ++i) {
    const Move m = moves_[i];
    if (moveEqual(m, row_.killers[1])) scores[i] = KillerScore - 1;
    if (moveEqual(m, row_.killers[0])) scores[i] = KillerScore;
    if (moveEqual(m, row_.mateKiller)) scores[i] = MateKillerScore;
    if (moveEqual(m, hashMove_)) scores[i] = HashMoveScore;
    keys_[i] = orderKey(scores[i], i);
  }
  endKeys();
}

void updateKillers(PlyRecord& row, Move m) {
  if (!isQuiet(m) || moveEqual(m, row.killers[0])) return;
  // A cut by the second killer swaps the two; a new move pushes the second one out.
  row.killers[1] = row.killers[0];
  row.killers[0] = m;
}

void updateHistory(HistoryTable& history, const Board& b, int dp, Move m) {
  if (!isQuiet(m)) return;
  const int bonus = dp * dp;
  uint16_t& h = history[b.st.turn][mailboxPiece(b.mailbox[m.from])][m.to];
  if (h + bonus > UINT16_MAX) {
    // Halving everything keeps the counters' proportions while making room at the top.
    for (auto& side : history) {
      for (auto& piece : side) {
        for (uint16_t& counter : piece) counter >>= 1;
      }
    }
  }
  // Only a depth beyond any reachable one could still overflow; the best move stays on top.
  h = uint16_t(h + bonus > UINT16_MAX ? UINT16_MAX : h + bonus);
}

bool isMoveValid(const Board& b, Move m, Bitboard pinned) {
  if (m.from > 63 || m.to > 63 || m.from == m.to || (m.flags & ~KnownFlags)) return false;
  const uint8_t code = b.mailbox[m.from];
  if (!code || mailboxColour(code) != b.st.turn) return false;
  if (!hasPseudoLegalShape(b, m, mailboxPiece(code))) return false;
  // The flag the search reads must say what the exact exchange says, or a stale move would
  // be extended or pruned on another position's account.
  // (Only the sign matters, and the early exit never gets it wrong: it answers only where the
  // capturer is worth no more than the victim, when no exchange can end below zero.)
  const bool good = m.flags & MoveGoodCapture;
  if (isCapture(m) ? good != (see(b, m, true) >= 0) : good) return false;
  return b.st.check ? evadesCheck(b, m) : isLegal(b, m, pinned);
}
