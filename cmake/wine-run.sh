#!/bin/sh
# Runs a Windows program of a cross build under Wine, quietly, in a Wine prefix of the build
# directory's own (made on first use), so that nothing of the user's own Wine set-up is touched.
# Called as: wine-run.sh <wine64 or wine> <program> [arguments]; the build directory is found
# above the program.
wine=$1
program=$2
shift 2
dir=$(cd "$(dirname "$program")" && pwd)
while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
[ "$dir" = / ] && dir=$(cd "$(dirname "$program")" && pwd)
export WINEPREFIX="${VELMAR_WINEPREFIX:-$dir/wine-prefix}"
export WINEDEBUG=-all
# No Mono or Gecko installers on a first start; nothing asks for them.
export WINEDLLOVERRIDES="mscoree,mshtml="
exec "$wine" "$program" "$@"
