// A build made for a newer processor than the one it is started on says which build to use and
// exits with status 1, before it runs a single instruction that processor lacks. The check runs as
// the program's first constructor, ahead of every other initialisation; the check itself is compiled for
// the platform's base processor whatever the build targets, and is linked into the engine itself.
#include <cstdio>
#include <cstdlib>

#if defined(__x86_64__) || defined(__i386__)

namespace {

struct Feature {
  const char* name;
  bool present;
};

#if defined(__x86_64__)
#define VELMAR_BASE_TARGET __attribute__((target("arch=x86-64")))
#else
#define VELMAR_BASE_TARGET
#endif

// The instruction sets the compiler was allowed to use for the rest of the engine, each with
// whether this processor has it. The list is made at compile time, so it names exactly what this
// build needs.
VELMAR_BASE_TARGET __attribute__((constructor(101))) void checkProcessor() {
  __builtin_cpu_init();
  const Feature needed[] = {
#if defined(__SSE2__)
      {"sse2", __builtin_cpu_supports("sse2") != 0},
#endif
#if defined(__SSE3__)
      {"sse3", __builtin_cpu_supports("sse3") != 0},
#endif
#if defined(__SSSE3__)
      {"ssse3", __builtin_cpu_supports("ssse3") != 0},
#endif
#if defined(__SSE4_1__)
      {"sse4.1", __builtin_cpu_supports("sse4.1") != 0},
#endif
#if defined(__SSE4_2__)
      {"sse4.2", __builtin_cpu_supports("sse4.2") != 0},
#endif
#if defined(__POPCNT__)
      {"popcnt", __builtin_cpu_supports("popcnt") != 0},
#endif
#if defined(__AVX__)
      {"avx", __builtin_cpu_supports("avx") != 0},
#endif
#if defined(__AVX2__)
      {"avx2", __builtin_cpu_supports("avx2") != 0},
#endif
#if defined(__FMA__)
      {"fma", __builtin_cpu_supports("fma") != 0},
#endif
#if defined(__BMI__)
      {"bmi", __builtin_cpu_supports("bmi") != 0},
#endif
#if defined(__BMI2__)
      {"bmi2", __builtin_cpu_supports("bmi2") != 0},
#endif
#if defined(__AVX512F__)
      {"avx512f", __builtin_cpu_supports("avx512f") != 0},
#endif
#if defined(__AVX512BW__)
      {"avx512bw", __builtin_cpu_supports("avx512bw") != 0},
#endif
#if defined(__AVX512VL__)
      {"avx512vl", __builtin_cpu_supports("avx512vl") != 0},
#endif
      {nullptr, true}};
  const char* missing = nullptr;
  for (const Feature& f : needed)
    if (f.name && !f.present && !missing) missing = f.name;
  if (!missing) return;
  std::printf("velmar %s was built for a processor with %s, which this one lacks: %s\n", VELMAR_BUILD_NAME,
              missing, VELMAR_FALLBACK_ADVICE);
  std::fflush(stdout);
  std::_Exit(1);
}

}  // namespace

#endif
