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
# A picture of the page that cannot be written: named with its reason, status 5, the page and
# the other pictures written all the same.
mkdir -p "$tmp/blocked/bild002.gif"
check "HTML picture not written" 5 "$bin" -q -H "$tmp/blocked/p.htm" "$data/images/img2pdf-png.pdf"
expect_in "HTML picture failure" "$tmp/err" \
  "paginor-convert: Das Bild kann nicht geschrieben werden: $tmp/blocked/bild002.gif: Unter diesem Namen gibt es einen Ordner."
for f in p.htm bild001.jpg bild003.gif; do
  if [ -s "$tmp/blocked/$f" ]; then passed=$((passed + 1)); else
    echo "FAIL $f missing beside a picture not written"; failures=$((failures + 1)); fi
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

# Outputs that cannot be written: status 5, the reason on stderr, an existing file unchanged
# and no temporary file left beside it.
unchanged() {  # name, file, expected content
  if [ "$(cat "$2")" = "$3" ]; then passed=$((passed + 1)); else
    echo "FAIL $1: $2 changed"; failures=$((failures + 1)); fi
}
no_leftovers() {  # name, folder
  if [ -z "$(ls -A "$2" | grep -v '^old\.')" ]; then passed=$((passed + 1)); else
    echo "FAIL $1: left in $2:"; ls -A "$2"; failures=$((failures + 1)); fi
}
check "missing folder" 5 "$bin" -q -t "$tmp/fehlt/a.txt" "$example"
expect_in "missing folder reason" "$tmp/err" "Den Ordner gibt es nicht."
expect_in "missing folder name" "$tmp/err" "$tmp/fehlt/a.txt"
check "missing folder wins over damage" 5 "$bin" -q -t "$tmp/fehlt/b.txt" "$tmp/kein.pdf"
mkdir -p "$tmp/full"
for kind in txt rtf htm; do
  printf 'alt' >"$tmp/full/old.$kind"
done
# A disk that fills up: a file size limit of 0 makes every write into a file fail. Only the
# converter runs under it; its messages reach the test through a pipe, which has no limit.
option_of() { case $1 in txt) echo -t ;; rtf) echo -r ;; htm) echo -H ;; esac; }
limited() {
  { (trap '' XFSZ; ulimit -f 0; exec "$@") 2>&1 >/dev/null; echo $? >"$tmp/status"; } | cat >&2
  return "$(cat "$tmp/status")"
}
for kind in txt rtf htm; do
  check "full disk $kind" 5 limited "$bin" -q "$(option_of $kind)" "$tmp/full/old.$kind" "$example"
  expect_in "full disk $kind reason" "$tmp/err" "Die Datei ist zu groß für den Datenträger."
  unchanged "full disk $kind" "$tmp/full/old.$kind" alt
done
check "full disk images" 5 limited "$bin" -q -i "$tmp/full" "$data/images/img2pdf-png.pdf"
expect_in "full disk image name" "$tmp/err" "Das Bild kann nicht geschrieben werden: $tmp/full/Bild003.gif"
no_leftovers "full disk" "$tmp/full"
if [ "$(id -u)" -ne 0 ]; then
  mkdir -p "$tmp/ro"
  printf 'alt' >"$tmp/ro/old.txt"
  chmod 555 "$tmp/ro"
  check "read-only folder" 5 "$bin" -q -t "$tmp/ro/neu.txt" "$example"
  expect_in "read-only folder reason" "$tmp/err" "Keine Berechtigung"
  check "read-only folder, images" 5 "$bin" -q -i "$tmp/ro" "$data/images/img2pdf-png.pdf"
  unchanged "read-only folder" "$tmp/ro/old.txt" alt
  chmod 755 "$tmp/ro"
fi
if [ -w /dev/full ]; then
  check "standard output full" 5 sh -c '"$1" -q "$2" >/dev/full' sh "$bin" "$example"
  expect_in "standard output message" "$tmp/err" "Die Standardausgabe kann nicht geschrieben werden."
fi
mkdir -p "$tmp/again"
printf 'alt' >"$tmp/again/a.txt"
check "replacing a file" 0 "$bin" -q -t "$tmp/again/a.txt" "$example"
expect_in "replaced content" "$tmp/again/a.txt" "Zweite Seite"
# A new file gets the mode the umask allows, a replaced one keeps its own.
chmod 604 "$tmp/again/a.txt"
check "replacing keeps the mode" 0 "$bin" -q -t "$tmp/again/a.txt" "$example"
check "a new file" 0 sh -c 'umask 027; exec "$@"' sh "$bin" -q -t "$tmp/again/b.txt" "$example"
modes=$(stat -c %a "$tmp/again/a.txt" "$tmp/again/b.txt" | tr '\n' ' ')
if [ "$modes" = "604 640 " ]; then passed=$((passed + 1)); else
  echo "FAIL file modes: $modes, expected 604 640"; failures=$((failures + 1)); fi

# PNG, read back by netpbm's reader where it is installed.
check "images as PNG" 0 "$bin" -q -i "$tmp/png" --image-format png "$data/images/img2pdf-png.pdf"
for n in 1 2 3; do
  if [ -s "$tmp/png/Bild00$n.png" ]; then passed=$((passed + 1)); else
    echo "FAIL Bild00$n.png missing"; failures=$((failures + 1)); fi
done
if command -v pngtopnm >/dev/null; then
  if pngtopnm "$tmp/png/Bild001.png" >/dev/null 2>&1; then passed=$((passed + 1)); else
    echo "FAIL Bild001.png unreadable"; failures=$((failures + 1)); fi
fi

echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
