// Draws by rule: fifty moves and material that cannot mate.
#include <gtest/gtest.h>

#include "board/draw.h"
#include "board/test_positions.h"

TEST(DrawByRule, MaterialThatCannotMateAndTheFiftyMoveRule) {
  for (const CaseLine& c : loadCases("cases/draws.txt"))
    EXPECT_EQ(isDrawByRule(boardFromFen(c[0].c_str())), c[1] == "true") << c[0];
}
