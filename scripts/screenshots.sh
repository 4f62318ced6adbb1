#!/bin/sh
# Starts the program's windows under Xvfb on the example PDF and writes a PNG of every tab,
# of the progress windows and of the password prompt, and on a PDF with pictures of the
# gallery, the image viewer and the print window, into a folder (default: screenshots/).
# BUILD_DIR (default build) and JOBS (default: all cores) choose where and how to build.
set -eu
cd "$(dirname "$0")/.."
out=${1:-screenshots}
build=${BUILD_DIR:-build}
jobs=${JOBS:-$(nproc)}
command -v xvfb-run >/dev/null || { sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo; \
  $sudo apt-get install -y -qq xvfb; }
cmake -S . -B "$build" >/dev/null
cmake --build "$build" -j"$jobs" --target paginor_screenshots
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$build"/bin/paginor_screenshots examples/beispiel.pdf "$out" tests/data/images/img2pdf-png.pdf
ls "$out"/*.png
