// velmar: a UCI chess engine. A GUI starts it and talks to it over standard input and output.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "book/book.h"
#include "frontend/command_line.h"
#include "frontend/diagnostics.h"
#include "frontend/options.h"
#include "frontend/settings.h"
#include "frontend/startup.h"
#include "frontend/uci.h"
#include "platform/console.h"
#include "search/bench.h"
#include "search/thread.h"

int main(int argc, char** argv) {
  // Every reply must reach the GUI the moment it is written. Input stays buffered: the command
  // loop is its only reader, and reading a long "position" line byte by byte would cost a system
  // call per character, each one a chance for a busy machine to hold the engine up on the clock.
  prepareConsole();

  prepareParameters();
  // "velmar bench [depth]": the search's signature and speed, then exit.
  if (argc >= 2 && std::strcmp(argv[1], "bench") == 0) {
    initEngineTables();
  drawStrengthSeed(engineSettings);
    benchCommand(argc >= 3 ? std::max(1, std::atoi(argv[2])) : BenchDepth);
    return 0;
  }
  // The book comes first, before the command line.
  loadBook(engineBook(), "velmar.vbk");
  if (engineBook().size() > 0)
    print("opening book: %d positions\n", engineBook().size());
  else
    print("opening book not found\n");
  const int skill = applyCommandLine(argc, argv);
  initEngineTables();

  // The engine object: the search context at the initial position and the search thread.
  std::unique_ptr<ThinkThread> engine;
  try {
    engine = std::make_unique<ThinkThread>();
  } catch (const std::bad_alloc&) {
    return 1;
  }
  // The tablebases at the default path, if any are there; silent either way, as a GUI sets the
  // path it wants right after start-up.
  openTablebases(engine->context(), engineSettings);
  engine->start();
  if (engine->context().evaluator) engine->context().evaluator->skill = skill;
  commandLoop(*engine, stdin);
  engine.reset();  // stops a running search, whose "bestmove" still goes out, and joins the thread
  return 0;
}
