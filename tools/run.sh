#!/usr/bin/env bash
# Builds the Release engine and starts it; it then speaks UCI on standard input and output.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh >&2
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >&2
cmake --build build -j2 --target velmar default_book >&2
cd build
exec ./velmar "$@"
