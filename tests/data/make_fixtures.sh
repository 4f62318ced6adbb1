#!/bin/sh
# Makes the committed fixtures of tests/data with real tools. Needs ghostscript and qpdf.
# Run from anywhere: sh tests/data/make_fixtures.sh
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

cat > "$tmp/text.ps" <<'PS'
%!PS
/Helvetica findfont 14 scalefont setfont
72 760 moveto (Geheimer Text auf Seite eins) show
showpage
/Helvetica findfont 14 scalefont setfont
72 760 moveto (Seite zwei) show
showpage
PS
gs -q -dNOPAUSE -dBATCH -sDEVICE=pdfwrite -dCompatibilityLevel=1.4 -sPAPERSIZE=a4 \
  -sOutputFile="$tmp/plain.pdf" "$tmp/text.ps"

# RC4 40-bit, revision 2, with qpdf: the empty user password, and the user password "geheim".
qpdf --allow-weak-crypto --object-streams=disable --encrypt "" besitzer 40 -- \
  "$tmp/plain.pdf" qpdf-rc4-40-empty.pdf
qpdf --allow-weak-crypto --object-streams=disable --encrypt geheim besitzer 40 -- \
  "$tmp/plain.pdf" qpdf-rc4-40-geheim.pdf

# RC4 40-bit with ghostscript, which writes /P unsigned (4294967292).
gs -q -dNOPAUSE -dBATCH -sDEVICE=pdfwrite -dCompatibilityLevel=1.4 -sPAPERSIZE=a4 \
  -dEncryptionR=2 -dKeyLength=40 -sOwnerPassword=besitzer -sUserPassword= \
  -sOutputFile=gs-rc4-40-empty.pdf "$tmp/text.ps"

# The example of the README.
cat > "$tmp/beispiel.ps" <<'PS'
%!PS
/Helvetica-Bold findfont 20 scalefont setfont
72 760 moveto (Paginor Beispiel) show
/Helvetica findfont 12 scalefont setfont
72 720 moveto (Dies ist eine kleine PDF-Datei, mit der Paginor vorgefuehrt wird.) show
72 700 moveto (Sie hat zwei Seiten, eine Ueberschrift und etwas Text.) show
showpage
/Helvetica findfont 12 scalefont setfont
72 760 moveto (Zweite Seite) show
300 500 moveto (Ein Absatz weiter rechts.) show
showpage
PS
gs -q -dNOPAUSE -dBATCH -sDEVICE=pdfwrite -dCompatibilityLevel=1.4 -sPAPERSIZE=a4 \
  -sOutputFile=../../examples/beispiel.pdf "$tmp/beispiel.ps"

# LZW data written by ghostscript's LZWEncode filter (PostScript's LZW is PDF's, early
# change 1): long enough to pass 12-bit codes and clear the table.
python3 - <<'PY'
import random
random.seed(7)
words = ['Seite', 'Text', 'Paginor', 'Absatz', 'Bild', 'Zeile', 'PDF', 'Datei', 'und', 'der',
         'die', 'das']
text = ' '.join(random.choice(words) + str(random.randint(0, 999)) for _ in range(6000))
open('lzw-plain.txt', 'w').write(text)
PY
cat > "$tmp/lzw.ps" <<'PS'
/infile (lzw-plain.txt) (r) file def
/outfile (lzw-plain.lzw) (w) file /LZWEncode filter def
/buf 4096 string def
{ infile buf readstring exch outfile exch writestring not {exit} if } loop
outfile closefile
PS
gs -q -dNOSAFER -dNODISPLAY -dBATCH "$tmp/lzw.ps"
