#!/bin/sh
# Makes the encrypted fixtures of tests/data/crypt with qpdf and ghostscript: every revision of
# the standard security handler, each with the empty user password and with the user password
# "geheim" (owner "chef"), from the plain file ../text/ps2pdf-columns.pdf. Needs qpdf and
# ghostscript.
set -eu
cd "$(dirname "$0")"
src=../text/ps2pdf-columns.pdf

# Revision 2 (RC4, 40 bits), 3 (RC4, 128 bits), 4 (AES-128) and 6 (AES-256).
qpdf --allow-weak-crypto --encrypt "" chef 40 -- "$src" qpdf-r2-empty.pdf
qpdf --allow-weak-crypto --encrypt geheim chef 40 -- "$src" qpdf-r2-geheim.pdf
qpdf --allow-weak-crypto --encrypt "" chef 128 --use-aes=n -- "$src" qpdf-r3-empty.pdf
qpdf --allow-weak-crypto --encrypt geheim chef 128 --use-aes=n -- "$src" qpdf-r3-geheim.pdf
qpdf --encrypt "" chef 128 --use-aes=y -- "$src" qpdf-r4-empty.pdf
qpdf --encrypt geheim chef 128 --use-aes=y -- "$src" qpdf-r4-geheim.pdf
qpdf --encrypt "" chef 256 -- "$src" qpdf-r6-empty.pdf
qpdf --encrypt geheim chef 256 -- "$src" qpdf-r6-geheim.pdf
# Variants: RC4 through a crypt filter (/V 4 /CFM /V2), AES-128 with /EncryptMetadata false,
# revision 5 (the SHA-256 hash alone), and object streams inside an AES-256 file.
qpdf --allow-weak-crypto --encrypt geheim chef 128 --use-aes=n --force-V4 -- "$src" \
  qpdf-r4-rc4-geheim.pdf
qpdf --encrypt geheim chef 128 --use-aes=y --cleartext-metadata -- "$src" \
  qpdf-r4-cleartext-metadata.pdf
qpdf --encrypt geheim chef 256 --force-R5 -- "$src" qpdf-r5-geheim.pdf
qpdf --encrypt geheim chef 256 -- --object-streams=generate "$src" qpdf-r6-objstm.pdf

# ghostscript's RC4: revision 3 with 128 and with 56 bits (/Length honoured).
gs -q -dNOPAUSE -dBATCH -sDEVICE=pdfwrite -dCompatibilityLevel=1.4 -dEncryptionR=3 \
  -dKeyLength=128 -sOwnerPassword=chef -sUserPassword=geheim -sOutputFile=gs-r3-128-geheim.pdf \
  "$src"
gs -q -dNOPAUSE -dBATCH -sDEVICE=pdfwrite -dCompatibilityLevel=1.4 -dEncryptionR=3 \
  -dKeyLength=56 -sOwnerPassword=chef -sUserPassword= -sOutputFile=gs-r3-56-empty.pdf "$src"

# An encrypted file with images, among them an /Indexed one whose table is an encrypted string.
python3 - <<'PY'
import struct, zlib
def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
w, h = 13, 7
palette = bytes([255, 0, 0, 0, 160, 0, 0, 0, 255, 250, 250, 40])
rows = b''.join(b'\0' + bytes(((x + y) % 4) for x in range(w)) for y in range(h))
png = (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 3, 0, 0, 0)) +
       chunk(b'PLTE', palette) + chunk(b'IDAT', zlib.compress(rows)) + chunk(b'IEND', b''))
open('palette.png', 'wb').write(png)
PY
img2pdf -o palette.pdf palette.png
rm palette.png
qpdf --encrypt geheim chef 256 -- palette.pdf qpdf-r6-palette.pdf
qpdf --allow-weak-crypto --encrypt geheim chef 128 --use-aes=n -- palette.pdf qpdf-r3-palette.pdf

# The same picture with its colour space an object of its own: encrypted with that object's key,
# and inside an object stream, where the string is not encrypted again.
python3 - <<'PY'
import re, zlib
w, h = 13, 7
rows = b''.join(bytes(((x + y) % 4) for x in range(w)) for y in range(h))
data = zlib.compress(rows)
objects = [
    b'<< /Type /Catalog /Pages 2 0 R >>',
    b'<< /Type /Pages /Kids [3 0 R] /Count 1 >>',
    b'<< /Type /Page /Parent 2 0 R /MediaBox [0 0 130 70] '
    b'/Resources << /XObject << /Im0 5 0 R >> >> /Contents 4 0 R >>',
    b'<< /Length 29 >>\nstream\nq 130 0 0 70 0 0 cm /Im0 Do Q\nendstream',
    b'<< /Type /XObject /Subtype /Image /Width 13 /Height 7 /BitsPerComponent 8 '
    b'/ColorSpace 6 0 R /Filter /FlateDecode /Length %d >>\nstream\n' % len(data) + data +
    b'\nendstream',
    b'[/Indexed /DeviceRGB 3 <FF000000A0000000FFFAFA28>]',
]
out = b'%PDF-1.5\n'
offsets = []
for i, body in enumerate(objects, 1):
    offsets.append(len(out))
    out += b'%d 0 obj\n' % i + body + b'\nendobj\n'
xref = len(out)
out += b'xref\n0 %d\n0000000000 65535 f \n' % (len(objects) + 1)
out += b''.join(b'%010d 00000 n \n' % o for o in offsets)
out += b'trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n' % (len(objects) + 1, xref)
open('palette-object.pdf', 'wb').write(out)
PY
qpdf --allow-weak-crypto --encrypt geheim chef 128 --use-aes=n -- --object-streams=disable \
  palette-object.pdf qpdf-r3-palette-object.pdf
qpdf --allow-weak-crypto --encrypt geheim chef 128 --use-aes=n -- --object-streams=generate \
  palette-object.pdf qpdf-r3-palette-objstm.pdf
rm palette-object.pdf

# A user password beyond ASCII: qpdf hashes it in PDFDocEncoding for revision 4 and in UTF-8
# for revision 6, while the password prompt gives UTF-8.
qpdf --encrypt "größe" chef 128 --use-aes=y -- "$src" qpdf-r4-umlaut.pdf
qpdf --encrypt "größe" chef 256 -- "$src" qpdf-r6-umlaut.pdf
