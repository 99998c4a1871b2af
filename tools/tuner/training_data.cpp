#include "training_data.h"

#include <cstdlib>
#include <fstream>

namespace {

constexpr const char* ResultTag = " c9 \"";
constexpr const char* ScoreTag = " ce ";

}  // namespace

std::string trainingLine(const std::string& fen, double result, std::optional<int> score) {
  const char* text = result > 0.75 ? "1-0" : result < 0.25 ? "0-1" : "1/2-1/2";
  std::string line = fen + ResultTag + text + "\";";
  if (score) line += ScoreTag + std::to_string(*score) + ";";
  return line;
}

bool parseTrainingLine(const std::string& line, TrainingPosition& out) {
  const size_t tag = line.find(ResultTag);
  if (tag == std::string::npos || tag == 0) return false;
  const size_t start = tag + std::string(ResultTag).size(), end = line.find('"', start);
  if (end == std::string::npos) return false;
  const std::string result = line.substr(start, end - start);
  if (result == "1-0") out.result = 1;
  else if (result == "0-1") out.result = 0;
  else if (result == "1/2-1/2") out.result = 0.5;
  else return false;
  out.score.reset();
  const size_t scoreAt = line.find(ScoreTag, end);
  if (scoreAt != std::string::npos) {
    const char* digits = line.c_str() + scoreAt + std::string(ScoreTag).size();
    char* stop = nullptr;
    const long score = std::strtol(digits, &stop, 10);
    if (stop == digits || *stop != ';' || score < -MaxTrainingScore || score > MaxTrainingScore) return false;
    out.score = int(score);
  }
  out.fen = line.substr(0, tag);
  return true;
}

std::vector<TrainingPosition> loadTrainingData(const std::string& path, size_t limit, size_t* skipped) {
  std::vector<TrainingPosition> positions;
  size_t passed = 0;
  std::ifstream in(path);
  TrainingPosition p;
  for (std::string line; positions.size() < limit && std::getline(in, line);) {
    if (parseTrainingLine(line, p)) positions.push_back(p);
    else if (!line.empty() && line[0] != '#') ++passed;
  }
  if (skipped) *skipped = passed;
  return positions;
}
