#!/bin/sh
# paginor-convert as a script sees it: outputs and exit statuses.
# Arguments: the binary, tests/data, the bundled example.
set -u
bin=$1 data=$2 example=$3
failures=0 passed=0
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

check() {  # name, expected status, then the command line
  name=$1 expected=$2
  shift 2
  "$@" >"$tmp/out" 2>"$tmp/err"
  status=$?
  if [ "$status" -ne "$expected" ]; then
    echo "FAIL $name: exit $status, expected $expected"; cat "$tmp/out" "$tmp/err"
    failures=$((failures + 1))
  else
    passed=$((passed + 1))
  fi
}

expect_in() {  # name, file, text
  if grep -qF -- "$3" "$2"; then passed=$((passed + 1)); else
    echo "FAIL $1: '$3' missing in"; cat "$2"; failures=$((failures + 1)); fi
}

check "info on the example" 0 "$bin" --info "$example"
expect_in "page count" "$tmp/out" "Seiten: 2"
expect_in "page size" "$tmp/out" "Seite 2: 595 x 842 pt"
expect_in "status line" "$tmp/out" "2 Seiten gefunden..."

check "quiet" 0 "$bin" --info -q "$example"
if grep -q "gefunden" "$tmp/out"; then echo "FAIL quiet: status lines shown"; failures=$((failures + 1)); fi

check "password given" 0 "$bin" --info -p geheim "$data/qpdf-rc4-40-geheim.pdf"
expect_in "encrypted pages" "$tmp/out" "Seiten: 2"
check "password missing" 4 "$bin" --info "$data/qpdf-rc4-40-geheim.pdf"
check "password wrong" 4 "$bin" -p falsch "$data/qpdf-rc4-40-geheim.pdf"
expect_in "wrong password message" "$tmp/err" "Das Passwort war leider falsch!"

printf 'kein PDF' >"$tmp/kein.pdf"
check "not a PDF" 1 "$bin" --info "$tmp/kein.pdf"
expect_in "invalid message" "$tmp/err" "Dies ist keine gültige PDF-Datei."
check "unreadable input" 3 "$bin" "$tmp/fehlt.pdf"
check "unknown option" 2 "$bin" --unbekannt "$example"
check "no input" 2 "$bin"
check "help" 0 "$bin" --help
expect_in "help text" "$tmp/out" "Aufruf: paginor-convert"
check "version" 0 "$bin" --version
expect_in "version text" "$tmp/out" "1.4"

# Outputs, through the real measuring font.
check "text to stdout" 0 "$bin" -q "$example"
expect_in "stdout title" "$tmp/out" "Paginor Beispiel"
expect_in "stdout second page" "$tmp/out" "Zweite Seite"
mkdir -p "$tmp/html"
check "all outputs" 0 "$bin" -q --font "Liberation Serif" --font-px 20 --dpi 120 \
  -t "$tmp/a.txt" -H "$tmp/html/a.htm" -r "$tmp/a.rtf" "$data/text/ps2pdf-columns.pdf"
expect_in "UTF-8 text" "$tmp/a.txt" "Überschrift"
expect_in "RTF header" "$tmp/a.rtf" '{\rtf1\ansi\ansicpg1252'
expect_in "HTML face" "$tmp/html/a.htm" "<font face=Liberation Serif size="
mkdir -p "$tmp/img"
check "HTML with images" 0 "$bin" -q -H "$tmp/img/p.htm" "$data/images/img2pdf-png.pdf"
expect_in "image link" "$tmp/img/p.htm" '<img src="bild001.jpg" border=0>'
for f in bild001.jpg bild002.gif bild003.gif; do
  if [ -s "$tmp/img/$f" ]; then passed=$((passed + 1)); else
    echo "FAIL image file $f missing"; failures=$((failures + 1)); fi
done
check "images in a format" 0 "$bin" -q -i "$tmp/bmp" --image-format bmp --image-base x \
  "$data/images/img2pdf-jpeg.pdf"
for n in 1 2 3 4; do
  if [ -s "$tmp/bmp/x00$n.bmp" ]; then passed=$((passed + 1)); else
    echo "FAIL x00$n.bmp missing"; failures=$((failures + 1)); fi
done
check "no image links" 0 "$bin" -q --no-image-links -H "$tmp/img/q.htm" "$data/images/img2pdf-png.pdf"
if grep -q "<img" "$tmp/img/q.htm"; then echo "FAIL links written"; failures=$((failures + 1)); fi
check "bad dpi" 2 "$bin" --dpi 0 "$example"

echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
