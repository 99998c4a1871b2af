#include "eval/evaluator.h"

#include <algorithm>
#include <new>
#include <typeinfo>

#include "board/attacks.h"
#include "board/bitboard.h"
#include "platform/tick.h"
#include "eval/params.h"
#include "eval/quick_eval.h"
#include "eval/terms.h"

namespace {

constexpr int MaxScore = 31766;
constexpr int KpkWin = 64000;

// The fields of a colour's pawns to queens in the material key.
constexpr uint64_t materialFields(int colour) {
  uint64_t mask = 0;
  for (int p = Pawn; p <= Queen; ++p) mask |= uint64_t{63} << (6 * (2 * (p - 1) + colour));
  return mask;
}

// Starts the scattered loads the terms will make, so that they overlap each other and the work
// before them: the pawn entry, and each slider's attack set under the look-through occupancy
// its term uses.
void prefetchLookups(const Board& b, const PawnEntry* pawnEntry) {
  __builtin_prefetch(pawnEntry);
  const Bitboard occupancy = b.occupancy();
  for (int c = White; c <= Black; ++c) {
    const Bitboard bishops = b.pieces(Bishop, c), rooks = b.pieces(Rook, c), queens = b.pieces(Queen, c);
    for (Bitboard set = bishops; set;) prefetchSliderAttacks(bishopMagics[popLowest(set)], occupancy & ~(bishops | queens));
    for (Bitboard set = rooks; set;) prefetchSliderAttacks(rookMagics[popLowest(set)], occupancy & ~(rooks | queens));
    for (Bitboard set = queens; set;) {
      const int sq = popLowest(set);
      const Bitboard through = occupancy & ~(bishops | rooks | queens);
      prefetchSliderAttacks(rookMagics[sq], through);
      prefetchSliderAttacks(bishopMagics[sq], through);
    }
  }
}

}  // namespace

void prepareEvalState(EvalState& s, const Board& b) {
  // 7. A clean slate: the sums and what the terms add to (the rest is set below). Field by
  // field, this is a handful of stores rather than a block clear of the whole state.
  s.opening = s.endgame = 0;
  for (int c = White; c <= Black; ++c) {
    s.kingAttackCount[c] = s.kingAttackWeight[c] = s.unstoppable[c] = s.kingDanger[c] = 0;
    s.passers[c] = 0;
    for (int piece = Knight; piece <= Queen; ++piece) s.attacks[c][piece] = 0;
  }
  s.board = &b;
  s.turn = b.st.turn;
  s.inCheck = b.st.check;
  s.nonPawn[White] = b.mat.tmatWhite;
  s.nonPawn[Black] = b.mat.tmat - b.mat.tmatWhite;
  s.occupancy = b.occupancy();
  for (int c = White; c <= Black; ++c) {
    const int k = b.st.kingSquare[c];
    s.kingBit[c] = bitOf(k);
    // 8. The king zone reaches one rank beyond the king's own reach.
    s.kingZone[c] = kingAttacks[k] | forwardOf(c, kingAttacks[k]);
    s.attacks[c][King] = s.attacks[c][0] = kingAttacks[k];
  }
  // 9. Pawn attacks (on the king zone too) and pawns free to advance.
  for (int c = White; c <= Black; ++c) {
    const Bitboard pawns = b.pieces(Pawn, c);
    const Bitboard attacked = pawnAttackSet(c, pawns);
    s.attacks[c][Pawn] = attacked;
    s.attacks[c][0] |= attacked;
    if (const Bitboard zone = attacked & s.kingZone[c ^ 1]) {
      const int n = popCount(zone);
      s.kingAttackCount[c] = n;
      s.kingAttackWeight[c] = 2 * n;
    }
    const int mobile = popCount(forwardOf(c, pawns) & ~s.occupancy);
    s.add(c, 10 * mobile, 15 * mobile);
  }
  // 10. Piece groups the terms ask about.
  for (int c = White; c <= Black; ++c) {
    s.heavy[c] = b.pieces(Rook, c) | b.pieces(Queen, c);
    s.pieces[c] = s.heavy[c] | b.pieces(Knight, c) | b.pieces(Bishop, c);
    s.bare[c] = (b.materialKey & materialFields(c)) == 0;
  }
}

BitEval::BitEval()
    : cacheKeys_(new (std::nothrow) uint64_t[CacheEntries]()),
      cache_(new (std::nothrow) EvalCacheEntry[CacheEntries]()),
      pawnTable_(new (std::nothrow) PawnEntry[PawnEntries]()) {
  if (!cacheKeys_ || !cache_) cacheEntries_ = 0;
  if (!pawnTable_) pawnEntries_ = 0;
  copyKpk(kpk_, builtinKpk());
  noiseState_ = uint32_t(tickCount()) ^ 0x5bd1e995u;  // a Skill below 100 errs differently every run
}

BitEval::~BitEval() = default;

// The noise's own small generator, so evaluators never share state.
int BitEval::noiseRandom() {
  noiseState_ = noiseState_ * 214013u + 2531011u;
  return int((noiseState_ >> 16) & 32767);
}

void BitEval::clearCache() {
  if (cacheEntries_) std::fill(cacheKeys_.get(), cacheKeys_.get() + cacheEntries_, 0);
}

bool BitEval::setCacheLookupsOff(bool off) {
  const bool previous = cacheLookupsOff_;
  cacheLookupsOff_ = off;
  return previous;
}

void BitEval::whiteKnight(int sq) { knightTerms(s_, White, sq); }
void BitEval::blackKnight(int sq) { knightTerms(s_, Black, sq); }
void BitEval::whiteBishop(int sq) { bishopTerms(s_, White, sq); }
void BitEval::blackBishop(int sq) { bishopTerms(s_, Black, sq); }
void BitEval::whiteRook(int sq) { rookTerms(s_, White, sq); }
void BitEval::blackRook(int sq) { rookTerms(s_, Black, sq); }
void BitEval::whiteQueen(int sq) { queenTerms(s_, White, sq); }
void BitEval::blackQueen(int sq) { queenTerms(s_, Black, sq); }
void BitEval::whiteKing(int sq) { kingTerms(s_, White, sq); }
void BitEval::blackKing(int sq) { kingTerms(s_, Black, sq); }

int BitEval::evaluate(const Board& b, int alpha, int beta) {
  // 1. A position seen before costs one probe.
  const uint32_t slot = cacheEntries_ ? cacheSlot(b.hash) : 0;
  if (cacheEntries_ && !cacheLookupsOff_ && cacheKeys_[slot] == b.hash) {
    danger_[White] = cache_[slot].danger[White];
    danger_[Black] = cache_[slot].danger[Black];
    return cache_[slot].score;
  }
  // 2-3. With pieces on the board, material far outside the window decides alone.
  if (b.mat.tmat >= 2200) {
    const int m = b.mat.dmat, margin = param::LazyEvalMarginCP;
    if (b.st.turn == White && (alpha > m + margin || beta < m - margin)) return m;
    if (b.st.turn == Black && (alpha > margin - m || beta < -(margin + m))) return -m;
  }
  int score = 0;  // a drawn king-and-pawn ending stays exactly 0
  prefetch(b.hash);  // the slot written below, for callers that did not start it themselves
  const auto blended = fullEvaluation(b);
  const bool fullyEvaluated = blended.has_value();
  if (blended) {
    // 20-22. Centipawns for the side to move, noise for a weakened engine, clamped.
    score = b.st.turn == White ? *blended : -*blended;
    if (levelNoise >= 0)
      score += levelNoise * (noiseRandom() % 201 - 100) / 100;
    else if (skill < 100)
      score += (100 - skill) * (noiseRandom() % 201 - 100);
    score = std::clamp(score, -MaxScore, MaxScore);
  }
  // 23. Remember it with the king dangers the search reads.
  if (cacheEntries_) {
    cacheKeys_[slot] = b.hash;
    // A drawn king-and-pawn ending is cached without king dangers. Raised safety weights can
    // push a danger past what the cache holds; it saturates there rather than turn negative.
    const auto stored = [&](int danger) { return fullyEvaluated ? int16_t(std::min(danger, 32767)) : int16_t{0}; };
    const int16_t white = stored(danger_[White]), black = stored(danger_[Black]);
    cache_[slot] = EvalCacheEntry{int16_t(score), {white, black}};
  }
  return score;
}

std::optional<int> BitEval::fullEvaluation(const Board& b) {
  const int turn = b.st.turn;
  static_assert((PawnEntries & (PawnEntries - 1)) == 0, "the pawn table's slot is the key's low bits");
  PawnEntry& pawnEntry = pawnEntries_ ? pawnTable_[b.pawnKey & (PawnEntries - 1)] : sparePawnEntry_;
  prefetchLookups(b, &pawnEntry);
  // 4. Material and the bishop pair.
  int base = 10 * b.mat.dmat;
  if (b.mat.pair[White] & 1) base += param::BishopPairMP;
  if (b.mat.pair[Black] & 1) base -= param::BishopPairMP;

  // 5-6. King and pawn against king is known exactly.
  if (b.materialKey == materialKeyUnit(Pawn, White) || b.materialKey == materialKeyUnit(Pawn, Black)) {
    if (const auto result = probeKpk(kpk_, b)) {
      if (*result == 0) return std::nullopt;  // the dangers of the last full evaluation stay
      const int winner = *result > 0 ? turn : turn ^ 1;
      base += winner == White ? KpkWin : -KpkWin;
    }
  }

  // 7-10. King zones, pawn attacks, piece groups; then material on top.
  prepareEvalState(s_, b);
  s_.opening += base;
  s_.endgame += base;
  // 11-12. Pawn structure (hashed), then the passers' race against the kings.
  pawnStructure(s_, pawnEntry);
  passerDynamics(s_);
  // 13-14. Pieces, then the kings, which read the attacks the pieces built.
  pieceTerms();
  // 15. In a pure pawn ending an extra pawn is worth more.
  if (s_.nonPawn[White] == 0 && s_.nonPawn[Black] == 0) {
    const int diff = popCount(b.pieces(Pawn, White)) - popCount(b.pieces(Pawn, Black));
    if (diff) s_.endgame += diff > 0 ? 1000 : -1000;
  }
  // 16. Space, imbalance, contact mate.
  globalTerms();
  // 17. Without pawns a small material edge rarely wins.
  const bool noPawns[2] = {b.pieces(Pawn, White) == 0, b.pieces(Pawn, Black) == 0};
  if ((noPawns[White] || noPawns[Black]) && std::abs(s_.nonPawn[White] - s_.nonPawn[Black]) <= 325 &&
      !b.pieces(Queen, White) && !b.pieces(Queen, Black)) {
    if ((noPawns[White] && noPawns[Black]) || (s_.endgame > 0 && noPawns[White]) ||
        (s_.endgame < 0 && noPawns[Black])) {
      s_.opening >>= 5;
      s_.endgame >>= 5;
    }
  }
  // 18. Blend opening and endgame by the material left.
  const int phase = gamePhase(b.mat.tmat);
  int v = s_.endgame + ((phase * (s_.opening - s_.endgame)) >> 8);
  // 19. Endings the evaluation knows better than its terms.
  v = endgameKnowledge(s_, v);
  danger_[White] = s_.kingDanger[White];
  danger_[Black] = s_.kingDanger[Black];
  return v / 10;
}

void BitEval::globalTerms() {
  spaceTerm(s_, White);
  spaceTerm(s_, Black);
  imbalanceTerm(s_);
  if (!s_.inCheck) contactMateThreat(s_);
}

void BitEval::pieceTerms() {
  const Board& b = *s_.board;
  // Hooks of a plain BitEval are called directly; a derived evaluator's through the table.
  if (plain_ < 0) plain_ = typeid(*this) == typeid(BitEval);
  const bool plain = plain_;
  auto each = [&](int piece, int colour, void (BitEval::*hook)(int), void (*term)(EvalState&, int, int)) {
    for (Bitboard set = b.pieces(piece, colour); set;) {
      const int sq = popLowest(set);
      if (plain)
        term(s_, colour, sq);
      else
        (this->*hook)(sq);
    }
  };
  each(Knight, White, &BitEval::whiteKnight, knightTerms);
  each(Knight, Black, &BitEval::blackKnight, knightTerms);
  each(Bishop, White, &BitEval::whiteBishop, bishopTerms);
  each(Bishop, Black, &BitEval::blackBishop, bishopTerms);
  each(Rook, White, &BitEval::whiteRook, rookTerms);
  each(Rook, Black, &BitEval::blackRook, rookTerms);
  each(Queen, White, &BitEval::whiteQueen, queenTerms);
  each(Queen, Black, &BitEval::blackQueen, queenTerms);
  if (plain) {
    kingTerms(s_, White, b.st.kingSquare[White]);
    kingTerms(s_, Black, b.st.kingSquare[Black]);
  } else {
    whiteKing(b.st.kingSquare[White]);
    blackKing(b.st.kingSquare[Black]);
  }
}
