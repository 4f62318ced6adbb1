#!/bin/sh
# Installs the Debian packages that building and testing Paginor need, when they are missing;
# clang, its runtime (libFuzzer, sanitizers) and llvm-symbolizer for the fuzz targets.
set -eu
packages="build-essential cmake pkg-config ccache nettle-dev zlib1g-dev libgtest-dev clang-format
  libjpeg62-turbo-dev libtiff-dev libgif-dev libpng-dev libimagequant-dev libopenjp2-7-dev libjbig2dec0-dev
  netpbm qt6-base-dev poppler-data libfreetype-dev
  fonts-liberation2 qt6-translations-l10n
  clang libclang-rt-14-dev llvm-14"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installiere:$missing"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing
