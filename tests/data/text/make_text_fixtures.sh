#!/bin/sh
# Makes the text fixtures of tests/data/text with real tools: ghostscript's ps2pdf and groff's
# PDF output (fonts with /Differences). Needs ghostscript and groff.
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

cat > "$tmp/columns.ps" <<'PS'
%!PS
/Helvetica findfont 11 scalefont setfont
72 760 moveto (Erste Spalte, erste Zeile) show
320 760 moveto (Zweite Spalte) show
72 746 moveto (Erste Spalte, zweite Zeile) show
/Helvetica-Bold findfont 16 scalefont setfont
72 700 moveto (Gr\344\337ere \334berschrift) show
/Courier findfont 10 scalefont setfont
108 660 moveto (eingerueckt: a + b = c) show
showpage
/Times-Roman findfont 12 scalefont setfont
72 760 moveto (Seite zwei \374ber alles) show
showpage
PS
ps2pdf -dCompatibilityLevel=1.4 "$tmp/columns.ps" ps2pdf-columns.pdf

cat > "$tmp/doc.ms" <<'MS'
.TL
Ein Bericht
.PP
Die fi- und fl-Ligaturen, \[u00E4] und \[u00FC], kommen aus groff.
.PP
Zweiter Absatz mit "Anf\[u00FC]hrungszeichen" und einem Gedankenstrich \[em] hier.
MS
groff -ms -Tpdf "$tmp/doc.ms" >groff-ms.pdf

# LibreOffice Writer: TrueType subsets with /ToUnicode maps, hexadecimal strings glued to
# their operators. Needs LibreOffice (libreoffice-writer-nogui).
cat > "$tmp/brief.txt" <<'TXT'
Größere Übungen für Äpfel und Öfen
Der Preis beträgt 12 € pro Stück.
„Zitat“ aus dem Büro: Die Affiliation, der Einfluss und die Pflaume.
Schöne Grüße, Straße, Fluß
Griechisch: αβγ
TXT
soffice --headless --convert-to pdf --outdir "$tmp" "$tmp/brief.txt" >/dev/null
cp "$tmp/brief.pdf" libreoffice-brief.pdf

# A CFF program whose own encoding puts fi, ffi and germandbls at codes 1 to 3 (fontTools, from
# Debian's python3-fonttools).
python3 make_custom_encoding_cff.py custom-encoding.cff
# A Type 1 program with an encoding of its own (ff, fi, A, lslash at 11, 12, 65, 66), assembled
# by t1utils' t1asm and stripped of its PFB segment headers, as PDF embeds it.
t1asm -b custom-encoding-type1.raw "$tmp/custom.pfb"
python3 - "$tmp/custom.pfb" custom-encoding.t1 <<'PY'
import sys
d = open(sys.argv[1], "rb").read()
out, i = b"", 0
while i + 6 <= len(d) and d[i] == 0x80 and d[i + 1] in (1, 2):
    n = int.from_bytes(d[i + 2:i + 6], "little")
    out += d[i + 6:i + 6 + n]
    i += 6 + n
open(sys.argv[2], "wb").write(out)
PY
# Tiny TrueType programs: one for CID fonts, one symbolic (fontTools).
python3 make_truetype_fixtures.py .
