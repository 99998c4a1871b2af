#!/usr/bin/env bash
# Builds the fastest engine for this machine (Release for its own processor, profile-guided and
# link-time optimised: the first build also profiles the engine, later ones only when a source
# file changed) and starts it; it then speaks UCI on standard input and output.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh >&2
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DVELMAR_PGO=ON -DVELMAR_LTO=ON -DVELMAR_CPU=native >&2
cmake --build build -j2 --target velmar default_book >&2
cd build
exec ./velmar "$@"
