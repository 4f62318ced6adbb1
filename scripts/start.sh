#!/bin/sh
# Installs what is missing, builds Paginor and reads the bundled example PDF.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
cmake -S . -B build -DPAGINOR_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)" --target paginor-convert
exec build/bin/paginor-convert --info examples/beispiel.pdf
