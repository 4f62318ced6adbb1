#!/usr/bin/env python3
"""Writes the many-small-runs PDF for the benchmarks: one page with RUNS one-character runs,
each placed with its own text matrix, in 100 lines and shown from the bottom line up and from
the right to the left, so that the layout's orderings have the most to exchange; the runs of a
line share their height, many share their place.
Usage: make_runs_pdf.py OUT.pdf [RUNS]"""
import sys
import zlib

out_path = sys.argv[1]
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 20000
lines = 100
per_line = (runs + lines - 1) // lines
letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"
ops = ["BT /F1 5 Tf"]
count = 0
for line in range(lines):
    y = 30 + 7.5 * line  # the bottom line first
    for k in range(per_line - 1, -1, -1):
        if count == runs:
            break
        x = 20 + 2.8 * (k // 2 * 2)  # pairs of runs at one place
        ops.append("1 0 0 1 %.1f %.1f Tm (%s) Tj" % (x, y, letters[(line + k) % len(letters)]))
        count += 1
ops.append("ET")
content = zlib.compress("\n".join(ops).encode("latin-1"))
objects = {
    1: b"<< /Type /Catalog /Pages 2 0 R >>",
    2: b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
    3: b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << /Font << /F1 4 0 R "
       b">> >> /Contents 5 0 R >>",
    4: b"<< /Type /Font /Subtype /Type1 /BaseFont /Courier /Encoding /WinAnsiEncoding >>",
    5: b"<< /Length %d /Filter /FlateDecode >>\nstream\n" % len(content) + content +
       b"\nendstream",
}
data = bytearray(b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n")
offsets = {}
for n in sorted(objects):
    offsets[n] = len(data)
    data += b"%d 0 obj\n" % n + objects[n] + b"\nendobj\n"
xref = len(data)
data += b"xref\n0 6\n0000000000 65535 f \n"
for n in range(1, 6):
    data += b"%010d 00000 n \n" % offsets[n]
data += b"trailer\n<< /Size 6 /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % xref
open(out_path, "wb").write(data)
