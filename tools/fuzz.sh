#!/usr/bin/env bash
# Runs one libFuzzer target for a while: bash tools/fuzz.sh TARGET SECONDS [libFuzzer flags]
# Targets: uci_loop fen personality book_file tablebase_block book_games ("--list" prints them).
# Builds them with clang into build-fuzz/ first. The seeds in fuzz/seeds/TARGET start the run;
# what the fuzzer adds goes to build-fuzz/corpus/TARGET, and a crashing, leaking or hanging input
# to build-fuzz/findings/TARGET, which fails the run. Rerun a finding with
#   build-fuzz/fuzz/fuzz_TARGET FILE
set -euo pipefail
cd "$(dirname "$0")/.."
targets=(uci_loop fen personality book_file tablebase_block book_games)
if [ "${1:-}" = "--list" ]; then
  echo "${targets[@]}"
  exit 0
fi
if [ $# -lt 2 ] || [[ ! " ${targets[*]} " =~ " $1 " ]]; then
  echo "usage: bash tools/fuzz.sh TARGET SECONDS [libFuzzer flags]   (targets: ${targets[*]})" >&2
  exit 2
fi
target=$1
seconds=$2

cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ -DVELMAR_FUZZ=ON \
  -DVELMAR_TESTS=OFF -DVELMAR_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target "fuzz_$target" >/dev/null

corpus=build-fuzz/corpus/$target
findings=build-fuzz/findings/$target
mkdir -p "$corpus" "$findings"
# The engine's replies and the tool's messages are noise here; libFuzzer keeps its own report.
build-fuzz/fuzz/"fuzz_$target" "$corpus" "fuzz/seeds/$target" \
  -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -close_fd_mask=3 \
  -artifact_prefix="$findings/" -print_final_stats=1 "${@:3}"
