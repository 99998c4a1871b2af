#!/usr/bin/env bash
# Measures velmar's UCI_Elo levels against Debian's Stockfish at the same UCI_Elo, which puts them
# on Stockfish's rating scale, and proposes the level table's rows from what it measured.
#
#   tools/calibrate-strength.sh [--tc 10+0.1] [--games 100] [--full] ELO...
#
# For every ELO it plays --games games (colours swapped per opening, the referee's openings)
# between velmar at that level and Stockfish at that level and prints the difference with its 95%
# interval. With --full velmar plays at its full strength instead: that finds the top of the scale.
# A level that plays D Elo above its name is in truth a player of ELO + D: the proposed row moves
# that level's settings there. Edit the table in src/search/strength.cpp, rebuild, measure again.
set -euo pipefail
cd "$(dirname "$0")/.."

tc=10+0.1
games=100
full=0
levels=()
while [ $# -gt 0 ]; do
  case "$1" in
    --tc) tc=$2; shift 2 ;;
    --games) games=$2; shift 2 ;;
    --full) full=1; shift ;;
    -h|--help) sed -n 2,11p "$0"; exit 0 ;;
    *) levels+=("$1"); shift ;;
  esac
done
[ ${#levels[@]} -gt 0 ] || { sed -n 2,11p "$0"; exit 2; }

stockfish=/usr/games/stockfish
if [ ! -x $stockfish ]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq stockfish
fi
bash tools/install-deps.sh >&2
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DVELMAR_PGO=ON -DVELMAR_LTO=ON -DVELMAR_CPU=native >&2
cmake --build build -j2 --target velmar velmar-referee >&2

log=build/calibration.log
printf '%-6s %-8s %s\n' level games "velmar - Stockfish (95% interval)"
for elo in "${levels[@]}"; do
  velmar=(--option-a OwnBook=false)
  [ $full = 1 ] || velmar+=(--option-a UCI_LimitStrength=true --option-a "UCI_Elo=$elo")
  out=$(build/tools/referee/velmar-referee --engine-a build/velmar --engine-b $stockfish "${velmar[@]}" \
    --option-b UCI_LimitStrength=true --option-b "UCI_Elo=$elo" --option-b Hash=16 \
    --tc "$tc" --games "$games" --openings tools/referee/openings.txt --concurrency 2)
  printf '%s\n' "$out" >>"$log"
  summary=$(printf '%s\n' "$out" | grep -m1 'Elo A-B' | sed 's/.*Elo A-B //')
  faults=$(printf '%s\n' "$out" | grep -m1 'hangs ' | sed 's/^ *//')
  printf '%-6s %-8s %s; %s\n' "$elo" "$games" "$summary" "$faults"
  # A finite difference moves the level; a clean sweep only says which way.
  if [[ $summary =~ ^[+-][0-9] ]]; then
    d=$(printf '%s\n' "$summary" | awk '{printf "%d", $1}')
    if [ $full = 1 ]; then
      echo "       full strength plays like $((elo + d))"
    else
      echo "       proposed: the settings of $elo belong at $((elo + d))"
    fi
  fi
done
echo "games and summaries appended to $log"
