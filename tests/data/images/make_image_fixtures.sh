#!/bin/sh
# Makes the image fixtures of tests/data/images with real tools: netpbm, img2pdf, libtiff's
# tiffcp and tiff2pdf, ghostscript, ImageMagick, qpdf. The .pnm sources are what the PDF files
# must decode to.
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Sources, 37 × 23 (an odd width, so bitmap rows need padding), no symmetry.
python3 - <<'PY'
w, h = 37, 23
rgb = bytearray()
grey = bytearray()
mono = []
for y in range(h):
    bits = []
    for x in range(w):
        rgb += bytes([(x * 7) % 256, (y * 11) % 256, (x * y) % 256])
        grey.append((x * 5 + y * 3) % 256)
        bits.append(1 if (x // 3 + y // 2) % 3 == 0 or x == y else 0)
    mono.append(bits)
open('rgb.ppm', 'wb').write(b'P6 %d %d 255\n' % (w, h) + rgb)
# Large enough that ghostscript makes it an XObject rather than an inline image.
lw, lh = 97, 61
large = bytearray()
for y in range(lh):
    for x in range(lw):
        large += bytes([(x * 3) % 256, (y * 4) % 256, (x + y) % 256])
open('rgb-large.ppm', 'wb').write(b'P6 %d %d 255\n' % (lw, lh) + large)
open('grey.pgm', 'wb').write(b'P5 %d %d 255\n' % (w, h) + grey)
with open('mono.pbm', 'wb') as f:
    f.write(b'P4 %d %d\n' % (w, h))
    for bits in mono:
        row = bytearray((w + 7) // 8)
        for x, b in enumerate(bits):
            if b:
                row[x // 8] |= 0x80 >> (x % 8)
        f.write(row)
PY

# PNG data with the PNG predictor, as img2pdf embeds it.
pnmtopng rgb.ppm >"$tmp/rgb.png"
pnmtopng grey.pgm >"$tmp/grey.png"
pnmtopng mono.pbm >"$tmp/mono.png"
img2pdf -o img2pdf-png.pdf "$tmp/rgb.png" "$tmp/grey.png" "$tmp/mono.png"

# JPEG of every kind: RGB, greyscale, Adobe CMYK, progressive.
pnmtojpeg --quality=95 rgb.ppm >"$tmp/rgb.jpg"
pnmtojpeg --quality=95 --greyscale grey.pgm >"$tmp/grey.jpg"
/usr/bin/convert rgb.ppm -quality 95 -colorspace CMYK "$tmp/cmyk.jpg"
pnmtojpeg --quality=95 --progressive rgb.ppm >"$tmp/progressive.jpg"
img2pdf -o img2pdf-jpeg.pdf "$tmp/rgb.jpg" "$tmp/grey.jpg" "$tmp/cmyk.jpg" "$tmp/progressive.jpg"
# What independent decoders make of these JPEG files.
jpegtopnm "$tmp/rgb.jpg" >rgb-jpeg.ppm 2>/dev/null
jpegtopnm "$tmp/grey.jpg" >grey-jpeg.pgm 2>/dev/null
/usr/bin/convert "$tmp/cmyk.jpg" -colorspace sRGB cmyk-jpeg.ppm
jpegtopnm "$tmp/progressive.jpg" >progressive-jpeg.ppm 2>/dev/null

# CCITT Group 4 through tiffcp and tiff2pdf; min-is-black gives /BlackIs1 true.
pnmtotiff -miniswhite mono.pbm >"$tmp/mono.tif"
tiffcp -c g4 "$tmp/mono.tif" "$tmp/mono-g4.tif"
tiff2pdf -o ccitt-g4.pdf "$tmp/mono-g4.tif"
pnmtotiff -minisblack mono.pbm >"$tmp/mono-black.tif"
tiffcp -c g4 "$tmp/mono-black.tif" "$tmp/mono-black-g4.tif"
tiff2pdf -o ccitt-g4-blackis1.pdf "$tmp/mono-black-g4.tif"

# ghostscript's own image encoding.
pnmtops -nocenter -noturn rgb-large.ppm >"$tmp/rgb.ps"
gs -q -dNOPAUSE -dBATCH -sDEVICE=pdfwrite -dCompatibilityLevel=1.4 \
  -dAutoFilterColorImages=false -dColorImageFilter=/FlateEncode \
  -dDownsampleColorImages=false -sOutputFile=gs-image.pdf "$tmp/rgb.ps"

# An encrypted file with images.
qpdf --allow-weak-crypto --object-streams=disable --encrypt "" besitzer 40 -- \
  img2pdf-png.pdf rc4-40-images.pdf
