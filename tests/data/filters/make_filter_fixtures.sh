#!/bin/sh
# Makes the fixtures of tests/data/filters with real tools: qpdf, ghostscript, img2pdf (and its
# Pillow), OpenJPEG's opj_compress (libopenjp2-tools), netpbm and libtiff's tiffcp. The
# pictures come from ../images; the tests compare what they decode to with those sources.
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# Pillow is Debian's, beside img2pdf.
py=/usr/bin/python3

# Content streams without filters, for the tests to encode with their own encoders.
qpdf --stream-data=uncompress --object-streams=disable ../text/ps2pdf-columns.pdf \
  uncompressed-columns.pdf

# ghostscript with ASCII85 around every stream: images in [/ASCII85Decode /FlateDecode] and
# [/ASCII85Decode /DCTDecode], and the same pictures without ASCII85 for comparison.
pnmtops -nocenter -noturn ../images/rgb-large.ppm >"$tmp/rgb.ps" 2>/dev/null
for a85 in true false; do
  name=$([ $a85 = true ] && echo gs-a85 || echo gs-plain)
  gs -q -dNOPAUSE -dBATCH -sDEVICE=pdfwrite -dCompatibilityLevel=1.4 -dASCII85EncodePages=$a85 \
    -dAutoFilterColorImages=false -dColorImageFilter=/FlateEncode -dDownsampleColorImages=false \
    -sOutputFile=$name-flate.pdf "$tmp/rgb.ps"
  gs -q -dNOPAUSE -dBATCH -sDEVICE=pdfwrite -dCompatibilityLevel=1.4 -dASCII85EncodePages=$a85 \
    -dAutoFilterColorImages=false -dColorImageFilter=/DCTEncode -dDownsampleColorImages=false \
    -sOutputFile=$name-dct.pdf "$tmp/rgb.ps"
done

# /DeviceCMYK Flate pictures: ghostscript's conversion of the RGB picture, and img2pdf's of a
# CMYK TIFF of pure inks (the colours are known); the same TIFF with a CMYK profile gives
# /ICCBased with /N 4; PNG files with grey and RGB profiles give /N 1 and /N 3.
gs -q -dNOPAUSE -dBATCH -sDEVICE=pdfwrite -dCompatibilityLevel=1.4 \
  -sColorConversionStrategy=CMYK -sProcessColorModel=DeviceCMYK -dAutoFilterColorImages=false \
  -dColorImageFilter=/FlateEncode -dDownsampleColorImages=false -sOutputFile=gs-cmyk.pdf \
  "$tmp/rgb.ps"
icc=$(ls -d /usr/share/ghostscript/*/iccprofiles | head -1)
$py - "$tmp" "$icc" <<'PY'
import sys
from PIL import Image
tmp, icc = sys.argv[1], sys.argv[2]
inks = [(255, 0, 0, 0), (0, 255, 0, 0), (0, 0, 255, 0), (0, 0, 0, 255), (0, 0, 0, 0),
        (128, 0, 0, 128), (0, 64, 0, 0), (30, 60, 90, 20)]
im = Image.new('CMYK', (8, 5))
for y in range(5):
    for x in range(8):
        im.putpixel((x, y), inks[(x + y) % 8])
im.save(tmp + '/cmyk.tif', compression=None)
im.save(tmp + '/cmyk-icc.tif', compression=None,
        icc_profile=open(icc + '/ps_cmyk.icc', 'rb').read())
Image.open('../images/grey.pgm').save(
    tmp + '/grey-icc.png', icc_profile=open(icc + '/default_gray.icc', 'rb').read())
Image.open('../images/rgb.ppm').save(
    tmp + '/rgb-icc.png', icc_profile=open(icc + '/default_rgb.icc', 'rb').read())
PY
img2pdf -o img2pdf-cmyk.pdf "$tmp/cmyk.tif"
img2pdf -o img2pdf-cmyk-icc.pdf "$tmp/cmyk-icc.tif"
img2pdf -o img2pdf-icc.pdf "$tmp/grey-icc.png" "$tmp/rgb-icc.png"

# JPEG 2000, lossless: a JP2 file in a PDF by img2pdf, and a bare grey codestream that the
# tests put into a PDF themselves (img2pdf takes JP2 files only). Three resolution levels,
# as the pictures are small.
$py - "$tmp" <<'PY'
import sys
tmp = sys.argv[1]
for src, dst in [('../images/rgb.ppm', 'rgb.ppm'), ('../images/grey.pgm', 'grey.pgm')]:
    data = open(src, 'rb').read()
    head, body = data.split(b'\n', 1)
    magic, w, h, maxval = head.split()
    # opj_compress reads the header on separate lines only.
    open(tmp + '/' + dst, 'wb').write(b'%s\n%s %s\n%s\n' % (magic, w, h, maxval) + body)
PY
opj_compress -i "$tmp/rgb.ppm" -o "$tmp/rgb.jp2" -n 3 >/dev/null
opj_compress -i "$tmp/grey.pgm" -o grey.j2k -n 3 >/dev/null
img2pdf -o img2pdf-jpx.pdf "$tmp/rgb.jp2"

# JBIG2: an embedded stream (page information, an immediate generic region coded with MMR,
# end of page) around the Group 4 data that tiffcp makes of the monochrome picture; MMR is
# T.6, the same code.
pnmtotiff -miniswhite ../images/mono.pbm >"$tmp/mono.tif" 2>/dev/null
tiffcp -c g4 "$tmp/mono.tif" "$tmp/mono-g4.tif"
$py - "$tmp/mono-g4.tif" mono-mmr.jbig2 <<'PY'
import struct, sys
tif = open(sys.argv[1], 'rb').read()
assert tif[:2] == b'II'
ifd = struct.unpack('<I', tif[4:8])[0]
tags = {}
for i in range(struct.unpack('<H', tif[ifd:ifd + 2])[0]):
    tag, kind, count, value = struct.unpack('<HHII', tif[ifd + 2 + 12 * i:ifd + 14 + 12 * i])
    tags[tag] = value & 0xFFFF if kind == 3 else value
width, height = tags[256], tags[257]
mmr = tif[tags[273]:tags[273] + tags[279]]
def segment(number, kind, data):
    return struct.pack('>IBBBI', number, kind, 0, 1, len(data)) + data
page = struct.pack('>IIIIBH', width, height, 0, 0, 0, 0)
region = struct.pack('>IIIIB', width, height, 0, 0, 0) + bytes([1]) + mmr
open(sys.argv[2], 'wb').write(segment(0, 48, page) + segment(1, 38, region) + segment(2, 49, b''))
PY

# busy-text-region.jbig2 and tall-refinement-region.jbig2 are not made here: the fuzzer found
# them (a page of 37 x 23 pixels whose text region asks for 541 098 242 symbol instances, and
# one with a refinement region 16 515 095 rows tall) and they are kept as found.
