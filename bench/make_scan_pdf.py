#!/usr/bin/env python3
"""Writes a scanned book: PAGES A4 pages, each one photo-like JPEG of 2480 x 3508 pixels
(300 dpi) filling the page, every page its own image object holding the same JPEG bytes. The
JPEG is made by netpbm's pnmtojpeg; the book by img2pdf when it is installed, otherwise by this
script in img2pdf's way. With PAD_MB, a stream of that many MiB that no page uses is written
before the pages' objects, to make a file past 2 GB whose objects lie past 2 GB; the stream is
a hole in the file, so that it takes no room on disk.
Usage: make_scan_pdf.py OUT.pdf [PAGES] [PAD_MB]"""
import math
import os
import random
import shutil
import subprocess
import sys
import tempfile

out_path = sys.argv[1]
pages = int(sys.argv[2]) if len(sys.argv) > 2 else 61
pad_mb = int(sys.argv[3]) if len(sys.argv) > 3 else 0
WIDTH, HEIGHT = 2480, 3508


def photo_ppm(width, height):
    """Smooth colour fields with fine noise, so that the JPEG is as large as a photo's."""
    rng = random.Random(5)
    patterns = []
    for k in range(16):
        row = bytearray(width * 3)
        for x in range(width):
            v = 0.5 + 0.5 * math.sin((x + 37 * k) / (41.0 + 7 * k))
            row[3 * x] = int(230 * v)
            row[3 * x + 1] = int(180 * (1 - v)) + 3 * k
            row[3 * x + 2] = (x * 255 // width + 11 * k) & 0xFF
        patterns.append(int.from_bytes(row, "big"))
    mask = int.from_bytes(b"\x0f" * (width * 3), "big")
    rows = []
    for y in range(height):
        noise = int.from_bytes(rng.randbytes(width * 3), "big") & mask
        rows.append((patterns[(y // 40) % 16] ^ noise).to_bytes(width * 3, "big"))
    return b"P6\n%d %d\n255\n" % (width, height) + b"".join(rows)


work = tempfile.mkdtemp()
ppm = os.path.join(work, "page.ppm")
with open(ppm, "wb") as f:
    f.write(photo_ppm(WIDTH, HEIGHT))
jpeg = subprocess.run(["pnmtojpeg", "--quality=85", ppm], check=True,
                      capture_output=True).stdout
os.remove(ppm)
if pad_mb == 0 and shutil.which("img2pdf"):
    page = os.path.join(work, "page.jpg")
    with open(page, "wb") as f:
        f.write(jpeg)
    subprocess.run(["img2pdf", "--pagesize", "A4", "-o", out_path] + [page] * pages, check=True)
    os.remove(page)
    os.rmdir(work)
    sys.exit(0)
os.rmdir(work)

with open(out_path, "wb") as out:
    offsets = {}

    def obj(num, body):
        offsets[num] = out.tell()
        out.write(b"%d 0 obj\n" % num)
        out.write(body)
        out.write(b"\nendobj\n")

    out.write(b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n")
    count = 3 + 3 * pages
    if pad_mb:
        offsets[count] = out.tell()
        out.write(b"%d 0 obj\n<< /Length %d >>\nstream\n" % (count, pad_mb << 20))
        out.seek(pad_mb << 20, os.SEEK_CUR)
        out.write(b"\nendstream\nendobj\n")
        count += 1
    # 1 catalog, 2 pages; page i: 3 + 3i page, 4 + 3i content, 5 + 3i image
    kids = b" ".join(b"%d 0 R" % (3 + 3 * i) for i in range(pages))
    obj(1, b"<< /Type /Catalog /Pages 2 0 R >>")
    obj(2, b"<< /Type /Pages /Count %d /Kids [%s] >>" % (pages, kids))
    content = b"q 595.2 0 0 841.92 0 0 cm /Im0 Do Q"
    for i in range(pages):
        p, c, im = 3 + 3 * i, 4 + 3 * i, 5 + 3 * i
        obj(p, b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595.2 841.92] /Contents %d 0 R "
               b"/Resources << /XObject << /Im0 %d 0 R >> >> >>" % (c, im))
        obj(c, b"<< /Length %d >>\nstream\n%s\nendstream" % (len(content), content))
        obj(im, b"<< /Type /XObject /Subtype /Image /Width %d /Height %d /ColorSpace /DeviceRGB "
                b"/BitsPerComponent 8 /Filter /DCTDecode /Length %d >>\nstream\n"
                % (WIDTH, HEIGHT, len(jpeg)) + jpeg + b"\nendstream")
    xref = out.tell()
    out.write(b"xref\n0 %d\n0000000000 65535 f \n" % count)
    for num in range(1, count):
        out.write(b"%010d 00000 n \n" % offsets[num])
    out.write(b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (count, xref))
