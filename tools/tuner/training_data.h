// Training positions for the evaluation tuner: a position from a finished game and how the game
// ended, one EPD line each, `<FEN> c9 "1-0";`, the result from White's view; then, when the game's
// search recorded it, ` ce 35;`, the search's score in centipawns for the side to move.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TrainingPosition {
  std::string fen;
  double result = 0.5;  // 1 White won, 0.5 drawn, 0 Black won
  std::optional<int> score;  // the game's search of the position, for the side to move
};

// A recorded score is a centipawn judgement, never a mate: beyond this it is not written or read.
constexpr int MaxTrainingScore = 30000;

std::string trainingLine(const std::string& fen, double result, std::optional<int> score = std::nullopt);
// False for a line that is no training position (a comment, a blank line, a bad result or score).
bool parseTrainingLine(const std::string& line, TrainingPosition& out);
// The positions of a file, at most `limit` of them; the number of lines passed over in `skipped`.
std::vector<TrainingPosition> loadTrainingData(const std::string& path, size_t limit, size_t* skipped = nullptr);
