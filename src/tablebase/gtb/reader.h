// velmar's reader of Gaviota distance-to-mate tablebases compressed with scheme 4
// (".gtb.cp4"): directories, open files, block tables, block decoding and a cache of decoded
// blocks behind one mutex. It knows nothing of the engine; squares and pieces are the format's
// (see endings.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace gtb {

// Result codes of a probe.
enum Outcome : int { Draw = 0, WhiteMates = 1, BlackMates = 2, Forbidden = 3 };

struct Answer {
  int outcome = Forbidden;
  int plies = 0;  // plies to mate for WhiteMates / BlackMates
};

// Availability bits: bit 0 some 3-piece table found, bit 1 the 3-piece group complete;
// bits 2-3 the same for 4 pieces, bits 4-5 for 5 pieces.
int maxMenFromAvailability(unsigned bits);

// The directories of a path text: cut at every ';', empty pieces dropped.
std::vector<std::string> splitPathList(const std::string& text);

struct ReaderStats {
  uint64_t probes = 0;       // index lookups that reached a file's data
  uint64_t cacheHits = 0;
  uint64_t blocksDecoded = 0;
  uint64_t bytesRead = 0;
};

class Reader {
 public:
  // Looks for every ending's file in the directories, reads and checks each block table,
  // and sets up a cache of decoded blocks of about cacheBytes / 4 (at least one block).
  Reader(const std::string& pathText, size_t cacheBytes);
  ~Reader();
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  unsigned availability() const;
  const std::vector<std::string>& directories() const;

  // Distance to mate of a position. Lists as in the format: squares 0 = a1, ended by NoSquare,
  // pieces ended by NoPiece, any order. stm 0 white, 1 black; epSquare the square a pawn may
  // capture to en passant, or NoSquare. False when there is no answer (no such ending, its file
  // missing or unreadable, a block that does not decode); a position the index function rejects
  // answers Forbidden.
  bool probe(int stm, int epSquare, const int* whiteSquares, const int* blackSquares, const int* whitePieces,
             const int* blackPieces, Answer& answer);

  ReaderStats stats() const;
  void resetStats();

 private:
  struct State;
  std::unique_ptr<State> s;
};

}  // namespace gtb
