#!/bin/sh
# Installs what is missing, builds everything with warnings as errors and runs every test;
# then builds and runs the tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -DPAGINOR_WERROR=ON -DPAGINOR_TESTS=ON >/dev/null
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")

# The core and the converter; the window program's tests ran above.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DPAGINOR_SANITIZE=ON -DPAGINOR_WERROR=ON \
  -DPAGINOR_TESTS=ON -DPAGINOR_GUI=OFF >/dev/null
cmake --build build-asan -j"$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ctest --output-on-failure -j"$jobs")
