#!/bin/sh
# Runs every benchmark case several times and prints the medians and the ratios against
# poppler-utils on the same machine, with the goals:
#   text    the 1000-page text document (the case of text_bench.sh): --text at least 2 times
#           faster than pdftotext -layout; --html and --rtf for comparison; the peak memory of
#           --text under 4 times the file size plus 64 MiB
#   images  50 JPEG pages with Flate and CCITT pictures: --images no slower than pdfimages
#           writing PPM/PGM/PBM (which decodes every picture, as we do); --html for comparison
#   scan    a scanned book of 61 A4 pages, each a 2480 x 3508 JPEG (make_scan_pdf.py): --text
#           within 0.5 s and 64 MiB + the file's size; --images (JPEG files, copied) within
#           1.5 times pdfimages -all, also on the 50-page document; --images --image-format bmp
#           (decoding) no slower than pdfimages (PPM); peak memory of --images within 64 MiB +
#           the file's size + one decoded picture
#   large   a file of 2.5 GB (make_scan_pdf.py: two scanned pages after an unused stream of
#           2.5 GB, a hole on disk): --text converts it, against pdftotext -layout
#   gallery the window converting a 500-page scanned book and showing every thumbnail of its
#           gallery: peak memory under 1 GiB, events at most 50 ms apart
#   runs    one page of 20 000 one-character runs: converted in under 2 seconds
#   window  the main window (offscreen) converting the 1000-page and the picture document and
#           building the HTML view: the longest time without processed events under 50 ms
#           (under 100 ms for the preview, measured until its page is laid out);
#           "Aktion abbrechen" ends the conversion within one page
#   preview the tab "HTML Vorschau" measured until its page is laid out, on the 352-page book
#           ../shared/realworld/pdfs/freeculture.pdf and on 3520 pages made of it with qpdf
#           (when both are there): events at most 100 ms apart; the book readable within 3 s
# Usage: bench/run.sh [BUILD_DIR] [REPEATS]   (defaults: build, 5)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}
repeats=${2:-5}
bin="$build/bin/paginor-convert"
[ -x "$bin" ] || { echo "$bin fehlt: erst bauen" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time fehlt (Paket time)" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 bench/make_text_pdf.py "$work/text.pdf" 1000
python3 bench/make_image_pdf.py "$work/images.pdf" 50
python3 bench/make_runs_pdf.py "$work/runs.pdf" 20000
python3 bench/make_scan_pdf.py "$work/scan.pdf" 61
python3 bench/make_scan_pdf.py "$work/large.pdf" 2 2560

# measure NAME COMMAND...: runs the command REPEATS times (an output folder "$work/out" is
# emptied before each run) and stores the median seconds and the median peak resident KiB in
# $work/NAME.s and $work/NAME.kb.
measure() {
  name=$1
  shift
  : >"$work/$name.all"
  i=0
  while [ "$i" -lt "$repeats" ]; do
    rm -rf "$work/out"
    mkdir -p "$work/out"
    /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>&1 || {
      echo "$name: Befehl fehlgeschlagen: $*" >&2
      exit 1
    }
    cat "$work/time" >>"$work/$name.all"
    i=$((i + 1))
  done
  sort -n -k1,1 "$work/$name.all" | awk -v n="$repeats" 'NR == int((n + 1) / 2) { print $1 }' \
    >"$work/$name.s"
  sort -n -k2,2 "$work/$name.all" | awk -v n="$repeats" 'NR == int((n + 1) / 2) { print $2 }' \
    >"$work/$name.kb"
}

seconds() { cat "$work/$1.s"; }
mib() { awk '{ printf "%.0f", $1 / 1024 }' "$work/$1.kb"; }
ratio() { awk -v a="$(seconds "$1")" -v b="$(seconds "$2")" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
verdict() { awk -v v="$1" -v goal="$2" -v op="$3" 'BEGIN {
  ok = (op == ">=") ? v >= goal : v < goal; print (ok ? "erreicht" : "VERFEHLT") }'; }
line() { printf '  %-36s %8s s  %6s MiB\n' "$1" "$(seconds "$2")" "$(mib "$2")"; }

have_poppler=yes
command -v pdftotext >/dev/null && command -v pdfimages >/dev/null || have_poppler=no

measure text_text "$bin" -q -t "$work/out/out.txt" "$work/text.pdf"
measure text_html "$bin" -q -H "$work/out/out.htm" "$work/text.pdf"
measure text_rtf "$bin" -q -r "$work/out/out.rtf" "$work/text.pdf"
measure images_images "$bin" -q -i "$work/out" "$work/images.pdf"
measure images_html "$bin" -q -H "$work/out/out.htm" "$work/images.pdf"
measure runs_text "$bin" -q -t "$work/out/out.txt" "$work/runs.pdf"
measure scan_text "$bin" -q -t "$work/out/out.txt" "$work/scan.pdf"
measure scan_images "$bin" -q -i "$work/out" "$work/scan.pdf"
measure scan_bmp "$bin" -q -i "$work/out" --image-format bmp "$work/scan.pdf"
measure large_text "$bin" -q -t "$work/out/out.txt" "$work/large.pdf"
if [ "$have_poppler" = yes ]; then
  measure text_poppler pdftotext -layout "$work/text.pdf" "$work/out/poppler.txt"
  measure images_poppler pdfimages "$work/images.pdf" "$work/out/bild"
  measure runs_poppler pdftotext -layout "$work/runs.pdf" "$work/out/poppler.txt"
  measure images_poppler_all pdfimages -all "$work/images.pdf" "$work/out/bild"
  measure scan_poppler_all pdfimages -all "$work/scan.pdf" "$work/out/bild"
  measure scan_poppler pdfimages "$work/scan.pdf" "$work/out/bild"
  measure large_poppler pdftotext -layout "$work/large.pdf" "$work/out/poppler.txt"
fi

text_size=$(stat -c %s "$work/text.pdf")
limit_kb=$(((4 * text_size + 64 * 1024 * 1024) / 1024))
echo "Mediane aus $repeats Läufen ($(nproc) Kerne, $bin)"
echo
echo "Text: 1000 Seiten, $text_size Bytes"
line "paginor-convert --text" text_text
line "paginor-convert --html" text_html
line "paginor-convert --rtf" text_rtf
[ "$have_poppler" = yes ] && line "pdftotext -layout" text_poppler
peak=$(cat "$work/text_text.kb")
echo "  Speicher --text: $((peak / 1024)) MiB, Grenze $((limit_kb / 1024)) MiB:" \
  "$(verdict "$peak" "$limit_kb" "<")"
echo
echo "Bilder: 50 JPEG-Seiten mit Flate- und CCITT-Bildern, $(stat -c %s "$work/images.pdf") Bytes"
line "paginor-convert --images" images_images
line "paginor-convert --html" images_html
[ "$have_poppler" = yes ] && line "pdfimages (PPM/PGM/PBM)" images_poppler
[ "$have_poppler" = yes ] && line "pdfimages -all (JPEG kopiert)" images_poppler_all
echo
scan_size=$(stat -c %s "$work/scan.pdf")
echo "Gescanntes Buch: 61 Seiten JPEG 2480 x 3508, $scan_size Bytes"
line "paginor-convert --text" scan_text
line "paginor-convert --images" scan_images
line "paginor-convert --images (BMP)" scan_bmp
if [ "$have_poppler" = yes ]; then
  line "pdfimages -all" scan_poppler_all
  line "pdfimages (PPM)" scan_poppler
fi
echo "  --text unter 0,5 s: $(verdict "$(seconds scan_text)" 0.5 "<")"
text_limit=$(((scan_size + 64 * 1024 * 1024) / 1024))
echo "  Speicher --text unter $((text_limit / 1024)) MiB: $(verdict "$(cat "$work/scan_text.kb")" "$text_limit" "<")"
# One decoded picture: 2480 x 3508 x 3 bytes.
images_limit=$(((scan_size + 64 * 1024 * 1024 + 2480 * 3508 * 3) / 1024))
for c in scan_images scan_bmp; do
  echo "  Speicher $c unter $((images_limit / 1024)) MiB: $(verdict "$(cat "$work/$c.kb")" "$images_limit" "<")"
done
echo
echo "Große Datei: 2 Seiten nach einem ungenutzten Strom, $(stat -c %s "$work/large.pdf") Bytes"
line "paginor-convert --text" large_text
[ "$have_poppler" = yes ] && line "pdftotext -layout" large_poppler
echo "  umgewandelt: erreicht"
echo
echo "Textstücke: eine Seite mit 20000 einzelnen Zeichen"
line "paginor-convert --text" runs_text
[ "$have_poppler" = yes ] && line "pdftotext -layout" runs_poppler
echo "  Ziel unter 2 s: $(verdict "$(seconds runs_text)" 2 "<")"
echo
if [ "$have_poppler" = yes ]; then
  r=$(ratio text_poppler text_text)
  echo "Verhältnis pdftotext -layout / --text:   $r (Ziel mindestens 2): $(verdict "$r" 2 ">=")"
  echo "Verhältnis pdftotext -layout / --html:   $(ratio text_poppler text_html)"
  r=$(ratio images_poppler images_images)
  echo "Verhältnis pdfimages / --images:         $r (Ziel mindestens 1): $(verdict "$r" 1 ">=")"
  echo "Verhältnis pdfimages / --html (Bilder):  $(ratio images_poppler images_html)"
  r=$(ratio images_images images_poppler_all)
  echo "Verhältnis --images / pdfimages -all:    $r (Ziel höchstens 1,5): $(verdict "$r" 1.5001 "<")"
  r=$(ratio scan_images scan_poppler_all)
  echo "Buch: --images / pdfimages -all:         $r (Ziel höchstens 1,5): $(verdict "$r" 1.5001 "<")"
  r=$(ratio scan_bmp scan_poppler)
  echo "Buch: --images BMP / pdfimages (PPM):    $r (Ziel höchstens 1): $(verdict "$r" 1.0001 "<")"
else
  echo "pdftotext oder pdfimages fehlt (poppler-utils): keine Verhältnisse"
fi

# The window: the median over the runs of each operation's longest pause between events.
window="$build/bin/paginor_responsiveness"
if [ -x "$window" ]; then
  echo
  echo "Fenster: längste Zeit ohne verarbeitete Ereignisse (Ziel unter 50 ms)"
  for case in text images; do
    : >"$work/window.all"
    i=0
    while [ "$i" -lt "$repeats" ]; do
      "$window" "$work/$case.pdf" 2>/dev/null >>"$work/window.all"
      i=$((i + 1))
    done
    for phase in "Umwandlung " "HTML-Darstellung" "HTML-Vorschau " "Umwandlung mit Abbruch"; do
      pause=$(grep "^$phase" "$work/window.all" | sed 's/.*längste Pause *\([0-9.]*\).*/\1/' |
        sort -n | awk -v n="$repeats" 'NR == int((n + 1) / 2)')
      # The preview is measured until the browser has laid its page out: goal 100 ms.
      goal=50
      [ "$phase" = "HTML-Vorschau " ] && goal=100
      printf '  %-8s %-24s %7s ms: %s\n' "$case" "$phase" "$pause" "$(verdict "$pause" "$goal" "<")"
    done
    after=$(sed -n 's/.*Umwandlung \([0-9.]*\) ms später beendet.*/\1/p' "$work/window.all" |
      sort -n | awk -v n="$repeats" 'NR == int((n + 1) / 2)')
    echo "  $case: Abbruch wirksam nach ${after:-?} ms"
  done
else
  echo "$window fehlt (Bau ohne Fenster): keine Messung des Fensters"
fi

# The gallery of a 500-page scanned book in the window, once: the file is 600 MB.
if [ -x "$window" ]; then
  python3 bench/make_scan_pdf.py "$work/book500.pdf" 500
  "$window" --gallery "$work/book500.pdf" 2>/dev/null >"$work/gallery.out"
  rm -f "$work/book500.pdf"
  pause=$(sed -n 's/^Galerie durchblättert.*längste Pause *\([0-9.]*\).*/\1/p' "$work/gallery.out")
  peak=$(sed -n 's/^Speicher höchstens \([0-9]*\) MiB/\1/p' "$work/gallery.out")
  echo
  echo "Galerie eines gescannten Buches mit 500 Seiten"
  echo "  längste Pause beim Durchblättern ${pause} ms: $(verdict "$pause" 50 "<")"
  echo "  Speicher höchstens ${peak} MiB (Ziel unter 1024): $(verdict "$peak" 1024 "<")"
fi

# The HTML preview of a real book, once each: the large case takes a while.
book=../shared/realworld/pdfs/freeculture.pdf
if [ -x "$window" ] && [ -f "$book" ] && command -v qpdf >/dev/null; then
  echo
  echo "HTML-Vorschau eines Buches (Ziel: Ereignisse höchstens 100 ms auseinander; 352 Seiten"
  echo "nach höchstens 3 s lesbar)"
  set -- "$book" "$book" "$book" "$book" "$book" "$book" "$book" "$book" "$book" "$book"
  qpdf --empty --pages "$@" -- "$work/book3520.pdf"
  for case in "$book" "$work/book3520.pdf"; do
    "$window" --preview-only "$case" 2>/dev/null >"$work/preview.out"
    pause=$(sed -n 's/^HTML-Vorschau .*längste Pause *\([0-9.]*\).*/\1/p' "$work/preview.out")
    seen=$(sed -n 's/.*Text sichtbar nach \([0-9-]*\) ms.*/\1/p' "$work/preview.out")
    pages=$(qpdf --show-npages "$case")
    printf '  %5s Seiten: längste Pause %7s ms: %s; Text sichtbar nach %s ms\n' "$pages" "$pause" \
      "$(verdict "$pause" 100 "<")" "$seen"
  done
fi
