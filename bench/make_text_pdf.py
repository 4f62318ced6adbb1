#!/usr/bin/env python3
"""Writes a large text PDF for the benchmarks: PAGES pages of two columns and a heading, in
several sizes, Flate-compressed content, classic cross-reference table.
Usage: make_text_pdf.py OUT.pdf [PAGES]"""
import random
import sys
import zlib

out_path = sys.argv[1]
pages = int(sys.argv[2]) if len(sys.argv) > 2 else 1000
random.seed(1)
words = ("Seite Text Paginor Absatz Zeile Datei Spalte Umwandlung Bild Schrift Layout Punkt "
         "Breite Abstand ist und der die das ein eine mit von fuer auf nicht").split()

objects = {}
objects[3] = b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>"
objects[4] = b"<< /Type /Font /Subtype /Type1 /BaseFont /Times-Bold /Encoding /WinAnsiEncoding >>"
kids = []
num = 5
for p in range(pages):
    ops = ["BT /F2 16 Tf 72 790 Td (Kapitel %d) Tj ET" % (p + 1)]
    for column, x in enumerate((72, 320)):
        ops.append("BT /F1 9 Tf 11 TL %d 760 Td" % x)
        for line in range(60):
            text = " ".join(random.choice(words) for _ in range(6))
            if line % 7 == 3:
                ops.append("[(%s) -300 (%d)] TJ T*" % (text, line))
            else:
                ops.append("(%s) ' " % text)
        ops.append("ET")
    content = zlib.compress("\n".join(ops).encode("latin-1"))
    objects[num] = b"<< /Length %d /Filter /FlateDecode >>\nstream\n" % len(content) + content + \
        b"\nendstream"
    objects[num + 1] = (b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] "
                        b"/Resources << /Font << /F1 3 0 R /F2 4 0 R >> >> /Contents %d 0 R >>" % num)
    kids.append(num + 1)
    num += 2
objects[1] = b"<< /Type /Catalog /Pages 2 0 R >>"
objects[2] = b"<< /Type /Pages /Kids [" + b" ".join(b"%d 0 R" % k for k in kids) + \
    b"] /Count %d >>" % pages

data = bytearray(b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n")
offsets = {}
for n in sorted(objects):
    offsets[n] = len(data)
    data += b"%d 0 obj\n" % n + objects[n] + b"\nendobj\n"
xref = len(data)
size = max(objects) + 1
data += b"xref\n0 %d\n0000000000 65535 f \n" % size
for n in range(1, size):
    data += b"%010d 00000 n \n" % offsets[n]
data += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (size, xref)
open(out_path, "wb").write(data)
