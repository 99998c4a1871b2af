// Personality file text: any content applies without fault and leaves every parameter inside
// its range.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "eval/params.h"
#include "eval/personality.h"
#include "frontend/startup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (prepareParameters(), true);
  (void)ready;
  applyPersonality(std::string_view(reinterpret_cast<const char*>(data), size));
  for (const Param* p : allParams())
    if (*p->value < p->min || *p->value > p->max) std::abort();
  resetAllParams();
  return 0;
}
