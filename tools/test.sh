#!/usr/bin/env bash
# Builds velmar and runs every test: once in Release, once in Debug (invariant asserts on)
# under AddressSanitizer and UndefinedBehaviorSanitizer with a smaller perft budget; then the
# thread and protocol tests once more under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -LE long -j"$jobs")

cmake -S . -B build-san -DCMAKE_BUILD_TYPE=Debug -DVELMAR_SANITIZE=ON -DVELMAR_BENCH=OFF
cmake --build build-san -j"$jobs"
(cd build-san && VELMAR_PERFT_BUDGET=2000000 VELMAR_RGSTAT_GAMES=10000 ctest --output-on-failure -LE long -j"$jobs")

# The search thread and the protocol under ThreadSanitizer: only the tests that run searches
# across the two threads, so the run stays short. A race in the engine makes it exit non-zero.
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DVELMAR_TSAN=ON -DVELMAR_BENCH=OFF
cmake --build build-tsan -j"$jobs"
(cd build-tsan && ctest --output-on-failure -R '^(Protocol|HostileInput)\.' -j"$jobs")

# The 32-bit build, in Release: the same tests but the long ones, so the bench signature and the
# perft counts are held to the same numbers as in the 64-bit build. Where the kernel runs no 32-bit
# programs they run under qemu-i386, many times slower: the perft, random-game and tablebase loads
# are lowered as in the sanitizer run.
cmake -S . -B build32 --toolchain cmake/i386-linux-gnu.cmake -DCMAKE_BUILD_TYPE=Release
cmake --build build32 -j"$jobs"
(cd build32 && VELMAR_PERFT_BUDGET=2000000 VELMAR_RGSTAT_GAMES=10000 VELMAR_GTB_SHARE=10 ctest --output-on-failure -LE long -j"$jobs")

# Every fuzz target for a short while from its seeds (tools/fuzz.sh), quietly but for the
# findings and the final figures; a finding fails the run.
for target in $(bash tools/fuzz.sh --list); do
  bash tools/fuzz.sh "$target" 10 -verbosity=0
done
