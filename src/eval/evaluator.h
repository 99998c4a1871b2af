// The evaluator: a static score for a position, in centipawns from the side to move's view.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "board/board.h"
#include "eval/kpk.h"

// Everything one full evaluation builds up; the terms read and add to it. Sums are in
// millipawns from White's point of view.
struct EvalState {
  const Board* board = nullptr;
  int opening = 0;
  int endgame = 0;
  int turn = White;
  bool inCheck = false;
  int nonPawn[2] = {};            // tmatWhite and tmat - tmatWhite
  int kingAttackCount[2] = {};    // [attacker]: enemy king-zone squares attacked
  int kingAttackWeight[2] = {};   // [attacker]: the same, weighted by the attacking piece
  Bitboard kingZone[2] = {};
  Bitboard attacks[2][7] = {};    // [colour][piece]; [colour][0] is the union of all
  Bitboard passers[2] = {};
  int unstoppable[2] = {};        // moves to promotion of the nearest unstoppable passer; 0 = none
  Bitboard heavy[2] = {};         // rooks and queens
  Bitboard pieces[2] = {};        // knights, bishops, rooks and queens
  bool bare[2] = {};              // only the king left
  Bitboard occupancy = 0;
  Bitboard kingBit[2] = {};
  int kingDanger[2] = {};         // millipawn penalty each king took this evaluation

  // A white term adds, a black term subtracts.
  void add(int colour, int op, int eg) {
    opening += colour == White ? op : -op;
    endgame += colour == White ? eg : -eg;
  }
};

// One rank toward the colour's promotion rank.
constexpr Bitboard forwardOf(int colour, Bitboard b) { return colour == White ? b >> 8 : b << 8; }

// Squares the colour's pawns attack.
constexpr Bitboard pawnAttackSet(int colour, Bitboard pawns) {
  const Bitboard west = pawns & ~FileABits, east = pawns & ~FileHBits;
  return colour == White ? (west >> 9) | (east >> 7) : (west << 7) | (east << 9);
}

struct PawnEntry {
  uint64_t key = 0;
  Bitboard passers = 0;  // both colours
  int32_t opening = 0;
  int32_t endgame = 0;
};

struct EvalCacheEntry {
  int16_t score;  // centipawns, side to move's view
  int16_t danger[2];
};

class BitEval {
 public:
  static constexpr int CacheEntries = 74898;
  static constexpr int PawnEntries = 32768;

  BitEval();
  virtual ~BitEval();

  // Centipawns from the side to move's view, within +-31766 except for the lazy exit, which
  // returns the material balance when it lies far outside (alpha, beta).
  virtual int evaluate(const Board& b, int alpha, int beta);
  // Space, heavy-piece imbalance and the queen contact-mate threat.
  virtual void globalTerms();
  virtual void clearCache();
  virtual bool setCacheLookupsOff(bool off);

  virtual void whiteKnight(int sq);
  virtual void blackKnight(int sq);
  virtual void whiteBishop(int sq);
  virtual void blackBishop(int sq);
  virtual void whiteRook(int sq);
  virtual void blackRook(int sq);
  virtual void whiteQueen(int sq);
  virtual void blackQueen(int sq);
  virtual void whiteKing(int sq);
  virtual void blackKing(int sq);

  // Starts loading the cache slot of a position about to be evaluated.
  void prefetch(uint64_t key) const {
    if (!cacheEntries_) return;
    const uint32_t slot = cacheSlot(key);
    __builtin_prefetch(&cacheKeys_[slot]);
    __builtin_prefetch(&cache_[slot]);
  }

  // Penalties the kings took in the last full evaluation (read by the quiescence search).
  int kingDanger(int colour) const { return danger_[colour]; }
  int skill = 100;  // below 100 adds noise to every score
  // A chosen strength's noise, up to this many centipawns either way; it overrides `skill`'s.
  // -1: none, `skill` decides.
  int levelNoise = -1;
  void seedNoise(uint32_t seed) { noiseState_ = seed; }

 private:
  // The blended score in centipawns from White's view; none for a drawn KPK position.
  std::optional<int> fullEvaluation(const Board& b);
  void pieceTerms();

  // (The table's size is a constant whenever there is a table: a division by it is a multiply.)
  static uint32_t cacheSlot(uint64_t key) { return uint32_t(key) % uint32_t(CacheEntries); }

  int cacheEntries_ = CacheEntries;
  std::unique_ptr<uint64_t[]> cacheKeys_;
  std::unique_ptr<EvalCacheEntry[]> cache_;
  bool cacheLookupsOff_ = false;
  int pawnEntries_ = PawnEntries;
  std::unique_ptr<PawnEntry[]> pawnTable_;
  PawnEntry sparePawnEntry_;
  int8_t plain_ = -1;  // whether this is a plain BitEval, known from the first evaluation on
  EvalState s_;
  int danger_[2] = {};
  KpkBitbase kpk_;
  int noiseRandom();
  uint32_t noiseState_;
};
