// velmar: a UCI chess engine. A GUI starts it and talks to it over standard input and output.
#include <cstdio>
#include <memory>

#include "frontend/game.h"
#include "frontend/startup.h"
#include "frontend/uci.h"

int main(int, char**) {
  // Every reply must reach the GUI the moment it is written.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  std::setvbuf(stdin, nullptr, _IONBF, 0);

  std::printf("opening book not found\n");
  initEngineTables();

  auto game = std::make_unique<Game>();
  resetGame(*game);
  commandLoop(*game, stdin);
  return 0;
}
