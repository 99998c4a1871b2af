#!/usr/bin/env bash
# The engine's speed, one line a benchmark: search nodes per second over the bench positions,
# perft 6 from the start position through the move picker, evaluations per second. Given several
# build directories, they take turns, so that a quiet spell or a busy one falls on all alike:
#
#   bash bench/speed.sh [build directory ...] [-- rounds]
#
# Each figure is the best of its rounds (3 unless given).
set -euo pipefail
builds=()
rounds=3
while [ $# -gt 0 ]; do
  if [ "$1" = "--" ]; then rounds=$2; shift 2; else builds+=("$(realpath "$1")"); shift; fi
done
[ ${#builds[@]} -gt 0 ] || builds=("$(realpath build)")

best() { sort -g | tail -1; }
declare -A nps perft evals
for ((r = 0; r < rounds; ++r)); do
  for b in "${builds[@]}"; do
    nps[$b]+="$("$b/velmar" bench | sed -n 's/.* ms, \([0-9]*\) nps$/\1/p') "
    perft[$b]+="$("$b/bench/velmar_bench" 6 | sed -n 's/.*s, \([0-9.]*\) Mnodes\/s$/\1/p') "
    evals[$b]+="$("$b/bench/velmar_eval_bench" | sed -n 's/^evaluations: \([0-9]*\)\/s .*/\1/p') "
  done
done
for b in "${builds[@]}"; do
  echo "$b"
  echo "  bench:       $(tr ' ' '\n' <<< "${nps[$b]}" | best) nodes/s"
  echo "  perft 6:     $(tr ' ' '\n' <<< "${perft[$b]}" | best) Mnodes/s through the picker"
  echo "  evaluations: $(tr ' ' '\n' <<< "${evals[$b]}" | best)/s, cache off"
done
