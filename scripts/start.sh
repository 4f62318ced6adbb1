#!/bin/sh
# Installs what is missing, builds Paginor and starts the program on the bundled example PDF.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
cmake -S . -B build -DPAGINOR_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)" --target paginor
exec build/bin/paginor examples/beispiel.pdf
