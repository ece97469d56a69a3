#!/usr/bin/env bash
# Installs what is missing, builds the release preset and runs every test.
# Extra arguments go to ctest (for example: -L engine).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset release
cmake --build --preset release
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
ctest --preset release --timeout 600 -j2 "$@"
