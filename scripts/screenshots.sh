#!/bin/sh
# Starts the program's windows under Xvfb on the example PDF and writes a PNG of every tab,
# of the progress windows and of the password prompt into a folder (default: screenshots/).
set -eu
cd "$(dirname "$0")/.."
out=${1:-screenshots}
command -v xvfb-run >/dev/null || { sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo; \
  $sudo apt-get install -y -qq xvfb; }
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)" --target paginor_screenshots
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" \
  build/bin/paginor_screenshots examples/beispiel.pdf "$out"
ls "$out"/*.png
