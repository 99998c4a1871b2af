// The engine's endgame tablebases: the Gaviota reader over the configured directories, and the
// translation of a Board into the reader's questions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "board/board.h"
#include "tablebase/gtb/endings.h"
#include "tablebase/gtb/reader.h"

struct TablebaseSet {
  // Opens the tables in the directories of `pathText` (cut at ';') with a block cache of
  // `cacheBytes`. A set that found no complete group has maxMen 0 and answers nothing.
  TablebaseSet(const std::string& pathText, size_t cacheBytes);

  std::vector<std::string> paths;  // the directories handed to the reader
  gtb::Reader reader;
  int32_t maxMen = 0;  // 5, 4 or 3: the largest men count every ending of which is present; 0 none
};

// Longest list: sixteen men of one colour and the end marker.
constexpr int TablebaseListSize = 17;

// A Board as the reader sees it: the format's squares (a1 = 0), the side to move, the square a
// pawn may capture to en passant, and each colour's men ended by NoSquare / NoPiece.
struct TablebaseQuery {
  int stm = 0;
  int epSquare = gtb::NoSquare;
  int squares[2][TablebaseListSize];
  int pieces[2][TablebaseListSize];
};

// False when the tables cannot answer the position at all: castling is still possible.
bool buildTablebaseQuery(const Board& b, TablebaseQuery& q);

// The distance to mate of the position; false when there is no answer, or only Forbidden.
bool probeTablebase(TablebaseSet& set, const Board& b, gtb::Answer& answer);
