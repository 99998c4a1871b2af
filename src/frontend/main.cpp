// velmar: a UCI chess engine. A GUI starts it and talks to it over standard input and output.
#include <cstdio>
#include <memory>

#include "frontend/command_line.h"
#include "search/context.h"
#include "frontend/startup.h"
#include "frontend/uci.h"

int main(int argc, char** argv) {
  // Every reply must reach the GUI the moment it is written.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  std::setvbuf(stdin, nullptr, _IONBF, 0);

  prepareParameters();
  std::printf("opening book not found\n");
  const int skill = applyCommandLine(argc, argv);
  initEngineTables();

  auto game = std::make_unique<SearchContext>();
  resetPosition(*game);
  game->evaluator->skill = skill;
  commandLoop(*game, stdin);
  return 0;
}
