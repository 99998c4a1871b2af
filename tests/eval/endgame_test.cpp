// Endgame knowledge on the blended score: mop-up, material signatures and bare-king draws.
#include <gtest/gtest.h>

#include "board/attacks.h"
#include "board/movegen.h"
#include "board/test_positions.h"
#include "eval/evaluator.h"
#include "eval/terms.h"

namespace {

// v after the endgame rules; the stalemate test sees every piece's attacks, as in a full evaluation.
int adjusted(const char* fen, int v) {
  const Board b = boardFromFen(fen);
  EvalState s;
  prepareEvalState(s, b);
  s.opening = s.endgame = 0;
  for (int c : {White, Black}) s.attacks[c][0] = attackMap(b, c);
  return endgameKnowledge(s, v);
}

}  // namespace

// Mop-up, bishop and knight, rook pawn against rook, stalemate, the wrong bishop: the cases are
// in tests/data/cases/endgame_rules.txt.
TEST(EndgameKnowledge, RulesOnTheBlendedScore) {
  for (const CaseLine& c : loadCases("cases/endgame_rules.txt")) {
    const int in = std::stoi(c[1]);
    const int got = adjusted(c[0].c_str(), in);
    const int than = c[3].find('/') != std::string::npos ? adjusted(c[3].c_str(), in) : std::stoi(c[3]);
    EXPECT_TRUE(holds(got, c[2], than)) << c[0] << ": " << got << " " << c[2] << " " << than;
  }
}
