#!/usr/bin/env python3
"""Writes the image-heavy PDF for the benchmarks: PAGES pages, each with a photo-like JPEG
picture; every fifth page also a greyscale and an RGB Flate picture (the RGB one with the PNG
predictor), every fifth page from the third on a CCITT Group 4 scan of a text-like page.
JPEG and CCITT data are made by netpbm (pnmtojpeg, pnmtotiff), the rest here.
Usage: make_image_pdf.py OUT.pdf [PAGES]"""
import math
import os
import random
import struct
import subprocess
import sys
import tempfile
import zlib

out_path = sys.argv[1]
pages = int(sys.argv[2]) if len(sys.argv) > 2 else 50
random.seed(3)
work = tempfile.mkdtemp()


def photo_rows(width, height, seed):
    """Smooth colour fields with some texture: rows built from a few patterns, shifted."""
    patterns = []
    for k in range(8):
        row = bytearray(width * 3)
        for x in range(width):
            v = 0.5 + 0.5 * math.sin((x + 37 * k + seed) / (23.0 + 5 * k))
            row[3 * x] = int(255 * v) ^ (x * 7 + k) & 0x1F
            row[3 * x + 1] = int(200 * (1 - v)) + (k * 5)
            row[3 * x + 2] = (x * 255 // width + seed * 13) & 0xFF
        patterns.append(bytes(row))
    rows = []
    for y in range(height):
        p = patterns[(y // 9 + seed) % 8]
        shift = (y * 3) % width * 3
        rows.append(p[shift:] + p[:shift])
    return b"".join(rows)


def jpeg(width, height, seed):
    ppm = os.path.join(work, "p.ppm")
    with open(ppm, "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (width, height) + photo_rows(width, height, seed))
    return subprocess.run(["pnmtojpeg", "--quality=85", ppm], check=True,
                          capture_output=True).stdout


def scan_rows(width, height, seed):
    """A bilevel page: lines of word-like black blocks on white, 1 = black."""
    rng = random.Random(seed)
    row_bytes = (width + 7) // 8
    white = bytes(row_bytes)
    rows = []
    y = 0
    while y < height:
        line = bytearray(row_bytes)
        x = 100
        while x < width - 100:
            w = rng.randint(20, 90)
            for xx in range(x, min(x + w, width - 100)):
                line[xx // 8] |= 0x80 >> (xx % 8)
            x += w + rng.randint(10, 25)
        for _ in range(min(18, height - y)):
            rows.append(bytes(line))
        y += 18
        for _ in range(min(12, height - y)):
            rows.append(white)
        y += 12
    return b"".join(rows[:height])


def ccitt(width, height, seed):
    """Group 4 data of a scan, taken out of the one-strip TIFF that pnmtotiff writes."""
    pbm = os.path.join(work, "s.pbm")
    with open(pbm, "wb") as f:
        f.write(b"P4\n%d %d\n" % (width, height) + scan_rows(width, height, seed))
    tif = subprocess.run(["pnmtotiff", "-g4", "-rowsperstrip", str(height), pbm], check=True,
                         capture_output=True).stdout
    order = "<" if tif[:2] == b"II" else ">"
    ifd = struct.unpack(order + "I", tif[4:8])[0]
    count = struct.unpack(order + "H", tif[ifd:ifd + 2])[0]
    tags = {}
    for i in range(count):
        tag, kind, n, value = struct.unpack(order + "HHII", tif[ifd + 2 + 12 * i:ifd + 14 + 12 * i])
        if kind == 3 and n == 1:
            value = struct.unpack(order + "H", tif[ifd + 10 + 12 * i:ifd + 12 + 12 * i])[0]
        tags[tag] = value
    photometric_min_is_white = tags.get(262, 0) == 0
    offset, length = tags[273], tags[279]
    return tif[offset:offset + length], photometric_min_is_white


def predicted_rows(width, height, cache={}):
    """An RGB picture as PNG rows of filter type 2 (Up), made once."""
    if (width, height) not in cache:
        rgb = photo_rows(width, height, 100)
        n = width * 3
        rows = [b"\x02" + rgb[:n]]
        for y in range(1, height):
            above, row = rgb[(y - 1) * n:y * n], rgb[y * n:(y + 1) * n]
            rows.append(b"\x02" + bytes((a - b) & 0xFF for a, b in zip(row, above)))
        cache[(width, height)] = b"".join(rows)
    return cache[(width, height)]


objects = {}
kids = []
num = 3
for p in range(pages):
    names = []
    draws = []
    w, h = 900 + (p % 3) * 100, 1200
    data = jpeg(w, h, p)
    objects[num] = (b"<< /Type /XObject /Subtype /Image /Width %d /Height %d /ColorSpace /DeviceRGB "
                    b"/BitsPerComponent 8 /Filter /DCTDecode /Length %d >>\nstream\n" % (w, h, len(data))
                    + data + b"\nendstream")
    names.append(b"/Im%d %d 0 R" % (num, num))
    draws.append(b"q 500 0 0 666 50 100 cm /Im%d Do Q" % num)
    num += 1
    if p % 5 == 0:
        gw, gh = 800, 600
        grey = bytes(((x * 3 + y) // 4) & 0xFF for y in range(gh) for x in range(gw))
        packed = zlib.compress(grey)
        objects[num] = (b"<< /Type /XObject /Subtype /Image /Width %d /Height %d /ColorSpace "
                        b"/DeviceGray /BitsPerComponent 8 /Filter /FlateDecode /Length %d >>\n"
                        b"stream\n" % (gw, gh, len(packed)) + packed + b"\nendstream")
        names.append(b"/Im%d %d 0 R" % (num, num))
        draws.append(b"q 200 0 0 150 50 750 cm /Im%d Do Q" % num)
        num += 1
        rw, rh = 640, 480
        rows = predicted_rows(rw, rh)
        packed = zlib.compress(rows)
        objects[num] = (b"<< /Type /XObject /Subtype /Image /Width %d /Height %d /ColorSpace "
                        b"/DeviceRGB /BitsPerComponent 8 /Filter /FlateDecode /DecodeParms "
                        b"<< /Predictor 15 /Colors 3 /Columns %d >> /Length %d >>\nstream\n"
                        % (rw, rh, rw, len(packed)) + packed + b"\nendstream")
        names.append(b"/Im%d %d 0 R" % (num, num))
        draws.append(b"q 200 0 0 150 300 750 cm /Im%d Do Q" % num)
        num += 1
    if p % 5 == 2:
        sw, sh = 1728, 2200
        data, min_is_white = ccitt(sw, sh, p)
        objects[num] = (b"<< /Type /XObject /Subtype /Image /Width %d /Height %d /ColorSpace "
                        b"/DeviceGray /BitsPerComponent 1 /Filter /CCITTFaxDecode /DecodeParms "
                        b"<< /K -1 /Columns %d /Rows %d /BlackIs1 %s >> /Length %d >>\nstream\n"
                        % (sw, sh, sw, sh, b"false" if min_is_white else b"true", len(data))
                        + data + b"\nendstream")
        names.append(b"/Im%d %d 0 R" % (num, num))
        draws.append(b"q 300 0 0 380 250 50 cm /Im%d Do Q" % num)
        num += 1
    content = b"\n".join(draws) + b"\nBT /F1 12 Tf 50 800 Td (Bildseite %d) Tj ET" % (p + 1)
    objects[num] = b"<< /Length %d >>\nstream\n" % len(content) + content + b"\nendstream"
    objects[num + 1] = (b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << "
                        b"/Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> "
                        b"/XObject << " + b" ".join(names) + b" >> >> /Contents %d 0 R >>" % num)
    kids.append(num + 1)
    num += 2
objects[1] = b"<< /Type /Catalog /Pages 2 0 R >>"
objects[2] = b"<< /Type /Pages /Kids [" + b" ".join(b"%d 0 R" % k for k in kids) + \
    b"] /Count %d >>" % pages

out = bytearray(b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n")
offsets = {}
for n in sorted(objects):
    offsets[n] = len(out)
    out += b"%d 0 obj\n" % n + objects[n] + b"\nendobj\n"
xref = len(out)
size = max(objects) + 1
out += b"xref\n0 %d\n0000000000 65535 f \n" % size
for n in range(1, size):
    out += b"%010d 00000 n \n" % offsets[n]
out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (size, xref)
open(out_path, "wb").write(out)
