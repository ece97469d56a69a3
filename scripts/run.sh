#!/usr/bin/env bash
# Installs what is missing, builds the release preset and starts the program
# with the given files.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset release -DFW_BUILD_TESTS=OFF -DFW_BUILD_BENCH=OFF
cmake --build --preset release --target framewright framewright-cli
exec build/release/bin/framewright "$@"
