#!/usr/bin/env bash
# Builds velmar and runs every test: once in Release, once in Debug (invariant asserts on)
# under AddressSanitizer and UndefinedBehaviorSanitizer with a smaller perft budget; then the
# thread and protocol tests once more under ThreadSanitizer; then the Release suite for the other
# targets: 32-bit Linux, the popcnt level, Windows under Wine and Linux aarch64 under qemu.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DVELMAR_CPU=portable
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

# The popcnt level, built with the parameters declared as options: the engine, its signature, its
# refusal on an older processor and its "uci" reply.
cmake -S . -B build-popcnt -DCMAKE_BUILD_TYPE=Release -DVELMAR_CPU=popcnt -DVELMAR_TUNING_OPTIONS=ON -DVELMAR_BENCH=OFF
cmake --build build-popcnt -j"$jobs" --target velmar velmar_pipe_tests
build-popcnt/velmar bench | grep -q "bench depth 9: 5178879 nodes" || { echo "popcnt build: wrong bench signature"; exit 1; }
(cd build-popcnt && ctest --output-on-failure -R '^(ProcessorCheck|Uci)\.')

# Windows x86-64 under Wine: the Release suite in its own process as a Windows program, then the
# pipe tests from the Linux build against the Windows engine and book tool. Wine 8, with several
# programs at a time, now and then ends a Windows program with status 1 and not a byte of output
# (about one start of the book tool in 3,000 here; the same run repeated passes), so a test run
# under Wine gets a second try; every other stage runs each test once.
wine_retry="--repeat until-pass:2"
cmake -S . -B build-win64 --toolchain cmake/x86_64-w64-mingw32.cmake -DCMAKE_BUILD_TYPE=Release -DVELMAR_BENCH=OFF
cmake --build build-win64 -j"$jobs"
(cd build-win64 && ctest --output-on-failure $wine_retry -LE long -j"$jobs")
(cd build && VELMAR_TEST_ENGINE=$PWD/../build-win64/tests/emulated/velmar \
   VELMAR_TEST_BOOK_TOOL=$PWD/../build-win64/tests/emulated/velmar-book VELMAR_WINEPREFIX=$PWD/../build-win64/wine-prefix \
   ctest --output-on-failure $wine_retry -L pipe -j"$jobs")

# Windows i686: built every time; its tests need Wine's 32-bit half, which runs only where the
# kernel runs 32-bit programs.
cmake -S . -B build-win32 --toolchain cmake/i686-w64-mingw32.cmake -DCMAKE_BUILD_TYPE=Release -DVELMAR_BENCH=OFF
cmake --build build-win32 -j"$jobs" --target velmar
if cmake/wine-run.sh wine build-win32/velmar.exe bench 1 </dev/null 2>/dev/null | grep -q "bench depth 1"; then
  cmake --build build-win32 -j"$jobs"
  (cd build-win32 && VELMAR_PERFT_BUDGET=2000000 ctest --output-on-failure $wine_retry -LE long -j"$jobs")
  (cd build && VELMAR_TEST_ENGINE=$PWD/../build-win32/tests/emulated/velmar \
     VELMAR_TEST_BOOK_TOOL=$PWD/../build-win32/tests/emulated/velmar-book VELMAR_WINEPREFIX=$PWD/../build-win32/wine-prefix \
     ctest --output-on-failure $wine_retry -L pipe -j"$jobs")
else
  echo "windows-i686: built; not run here, as this kernel runs no 32-bit programs (Wine's 32-bit half among them)"
fi

# Linux aarch64 under qemu-aarch64, many times slower: loads lowered as for the 32-bit build.
cmake -S . -B build-arm64 --toolchain cmake/aarch64-linux-gnu.cmake -DCMAKE_BUILD_TYPE=Release -DVELMAR_BENCH=OFF
cmake --build build-arm64 -j"$jobs"
(cd build-arm64 && VELMAR_PERFT_BUDGET=2000000 VELMAR_RGSTAT_GAMES=10000 VELMAR_GTB_SHARE=10 ctest --output-on-failure -LE long -j"$jobs")

# Every fuzz target for a short while from its seeds (tools/fuzz.sh), quietly but for the
# findings and the final figures; a finding fails the run.
for target in $(bash tools/fuzz.sh --list); do
  bash tools/fuzz.sh "$target" 10 -verbosity=0
done
