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

# A user password beyond ASCII: qpdf hashes it in PDFDocEncoding for revision 4 and in UTF-8
# for revision 6, while the password prompt gives UTF-8.
qpdf --encrypt "größe" chef 128 --use-aes=y -- "$src" qpdf-r4-umlaut.pdf
qpdf --encrypt "größe" chef 256 -- "$src" qpdf-r6-umlaut.pdf
