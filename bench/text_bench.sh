#!/bin/sh
# Times paginor-convert --text, --html and --rtf on a generated 1000-page text PDF, and
# pdftotext -layout on the same file where poppler-utils is installed; prints pages per
# second, the ratios and the peak memory. Usage: bench/text_bench.sh [BUILD_DIR] [PAGES]
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}
pages=${2:-1000}
bin="$build/bin/paginor-convert"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 bench/make_text_pdf.py "$work/large.pdf" "$pages"
size=$(stat -c %s "$work/large.pdf")
echo "Eingabe: $pages Seiten, $size Bytes"

# Seconds and peak resident kilobytes of one command, through GNU time when it is there.
measure() {
  if [ -x /usr/bin/time ]; then
    /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>&1
    cat "$work/time"
  else
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    echo "$(echo "$end - $start" | bc) 0"
  fi
}

report() {  # name, seconds, kilobytes
  echo "$1: $2 s, $(echo "scale=1; $pages / $2" | bc) Seiten/s, Spitze $(($3 / 1024)) MiB"
}

set -- $(measure "$bin" -q -t "$work/out.txt" "$work/large.pdf"); text_s=$1; text_kb=$2
report "paginor-convert --text" "$text_s" "$text_kb"
set -- $(measure "$bin" -q -H "$work/out.htm" "$work/large.pdf"); html_s=$1; html_kb=$2
report "paginor-convert --html" "$html_s" "$html_kb"
set -- $(measure "$bin" -q -r "$work/out.rtf" "$work/large.pdf"); rtf_s=$1; rtf_kb=$2
report "paginor-convert --rtf" "$rtf_s" "$rtf_kb"
limit_kb=$(( (4 * size + 64 * 1024 * 1024) / 1024 ))
echo "Speichergrenze (4 x Dateigröße + 64 MiB): $((limit_kb / 1024)) MiB"

if command -v pdftotext >/dev/null; then
  set -- $(measure pdftotext -layout "$work/large.pdf" "$work/poppler.txt"); pop_s=$1; pop_kb=$2
  report "pdftotext -layout" "$pop_s" "$pop_kb"
  echo "Verhältnis pdftotext / --text: $(echo "scale=2; $pop_s / $text_s" | bc) (Ziel: mindestens 2)"
  echo "Verhältnis pdftotext / --html: $(echo "scale=2; $pop_s / $html_s" | bc) (Ziel: mindestens 1)"
else
  echo "pdftotext fehlt (poppler-utils): kein Vergleich"
fi
