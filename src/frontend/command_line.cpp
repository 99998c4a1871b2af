#include "frontend/command_line.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "eval/params.h"
#include "eval/personality.h"
#include "frontend/tokens.h"
#include "platform/console.h"

int applyCommandLine(int argc, char** argv) {
  int skill = 100;
  // A switch's value is examined again as an argument of its own; it only matters when it
  // starts with '-' too.
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (std::strcmp(arg, "-personality") == 0) {
      if (!hasValue) continue;
      const bool loaded = loadPersonality(argv[i + 1]);
      print(loaded ? "loaded personality %s\n" : "failed to load personality %s\n", argv[i + 1]);
    } else if (std::strcmp(arg, "-skill") == 0) {
      if (!hasValue) continue;
      skill = int(std::clamp<int64_t>(leadingNumber(argv[i + 1]), 0, 100));
      print("initial skill set to %d\n", skill);
    } else if (arg[0] == '-') {
      Param* p = findParam(arg + 1);
      if (!p || !hasValue) continue;  // a trailing switch has no value to read
      setParam(*p, leadingNumber(argv[i + 1]));
      print("initial %s set to %d\n", p->name.c_str(), getParam(*p));
    }
  }
  return skill;
}
