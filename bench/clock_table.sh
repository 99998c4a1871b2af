#!/usr/bin/env bash
# The clock benchmark: velmar against itself under the referee, at the time controls a
# tournament manager uses, first with two processes burning the CPU beside the games, then on
# a quiet machine. Every line of the table must show 0 flags, 0 hangs and 0 illegal moves.
#
#   bash bench/clock_table.sh [build directory] [games scale, percent]
#
# At full scale it takes a little over an hour on a 2-core machine; 10 gives a quick look.
set -euo pipefail
build=$(realpath "${1:-build}")
scale=${2:-100}
referee="$build/tools/referee/velmar-referee"
games() { echo $(( ($1 * scale + 99) / 100 )); }

# A copy of the engine, so a rebuild while the games run changes nothing; its book beside it.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/velmar" "$work/"
[ -f "$build/velmar.vbk" ] && cp "$build/velmar.vbk" "$work/"

# Every time control is played, whatever an earlier one found; the exit status tells.
status=0
run() { "$referee" --engine "$work/velmar" --cwd "$work" --seed 2026 "$@" | grep -v '^seed' || status=1; }

echo "### with --load 2"
run --load 2 --games "$(games 100)" --tc 0.2+0.01 --tc 1+0.01 --tc 2+0.02
run --load 2 --games "$(games 40)" --tc 40/4
run --load 2 --games "$(games 20)" --tc 10+0.1
run --load 2 --games "$(games 100)" --tc 2+0.02 --ponder
echo "### without load"
run --games "$(games 100)" --tc 1+0.01 --tc 2+0.02
exit $status
