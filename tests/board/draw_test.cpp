// Draws by rule: fifty moves and material that cannot mate.
#include <gtest/gtest.h>

#include "board/draw.h"
#include "board/test_positions.h"

TEST(DrawByRule, MaterialThatCannotMate) {
  const struct {
    const char* fen;
    bool draw;
  } cases[] = {
      {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", true},
      {"4k3/8/8/8/8/8/8/2B1K3 w - - 0 1", true},
      {"4k3/8/8/8/8/8/8/2N1K3 b - - 0 1", true},
      {"4k3/8/8/8/8/8/8/1NN1K3 w - - 0 1", true},
      {"4k3/8/3N4/8/8/8/8/1N2K3 b - - 0 1", false},  // a knight gives check
      {"4k3/8/8/8/8/8/8/1BN1K3 w - - 0 1", false},
      {"4k3/8/8/8/8/8/8/1BB1K3 w - - 0 1", false},
      {"2b1k3/8/8/8/8/8/8/4KB2 w - - 0 1", true},   // bishops on light squares
      {"3bk3/8/8/8/8/8/8/4KB2 w - - 0 1", false},   // opposite colours
      {"4k3/8/8/8/8/8/8/3RK3 w - - 0 1", false},
      {"4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", false},
      {"4kn2/8/8/8/8/8/8/4KN2 w - - 0 1", false},
      {"4k3/8/8/8/8/8/8/R3K3 w - - 101 80", true},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 100 80", false},
  };
  for (const auto& c : cases) EXPECT_EQ(isDrawByRule(boardFromFen(c.fen)), c.draw) << c.fen;
}
