#!/usr/bin/env python3
"""Writes the hand-made hostile inputs of fuzz/regressions/<target>/hostile-*: what each cap
stands against, so that the replay under ctest runs every cap once. The inputs found by
fuzzing sit beside them. Usage: fuzz/make_hostile.py (from anywhere)."""
import os
import struct
import subprocess
import tempfile
import zlib

root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "regressions")


def write(target, name, data):
    folder = os.path.join(root, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "hostile-" + name), "wb") as f:
        f.write(data)


def pdf(objects, root_num=1, trailer=b"", xref_override=None):
    """A file with a correct classic table for the objects {number: body}."""
    out = bytearray(b"%PDF-1.4\n")
    offsets = {}
    for n in sorted(objects):
        offsets[n] = len(out)
        out += b"%d 0 obj\n" % n + objects[n] + b"\nendobj\n"
    xref = len(out)
    size = max(objects) + 1
    out += xref_override if xref_override is not None else b"xref\n0 %d\n" % size
    out += b"0000000000 65535 f \n"
    for n in range(1, size):
        out += b"%010d 00000 n \n" % offsets.get(n, 0)
    out += b"trailer\n<< /Size %d /Root %d 0 R %s>>\nstartxref\n%d\n%%%%EOF\n" % (
        size, root_num, trailer, xref)
    return bytes(out)


def stream(dictionary, data):
    return b"<< %s /Length %d >>\nstream\n" % (dictionary, len(data)) + data + b"\nendstream"


def one_page(content, resources=b"", extra=None):
    objects = {1: b"<< /Type /Catalog /Pages 2 0 R >>",
               2: b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
               3: b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << " +
               resources + b" >> /Contents 4 0 R >>",
               4: content}
    objects.update(extra or {})
    return pdf(objects)


bomb = zlib.compress(bytes(4 << 20), 9)  # 4 MiB of zeros in about 4 KiB

# The scanner and the dictionary reader.
write("scanner", "deep-nesting", b"<< /A " + b"[" * 20000 + b"]" * 20000 + b" /B << " * 5000 +
      b">>" * 5000 + b" >>")
write("scanner", "unclosed-string", b"<< /A (" + b"\\" * 3000 + b"x")

# Cross-reference tables and streams.
write("xref", "subsection-count-2e9", one_page(stream(b"", b"BT (x) Tj ET")).replace(
    b"xref\n0 5\n", b"xref\n0 2000000000\n"))
xref_stream = stream(b"/Type /XRef /Size 2000000000 /W [1 4 2] /Index [0 2000000000]",
                     zlib.compress(b"\x01\x00\x00\x00\x09\x00\x00" * 3))
write("xref", "stream-size-2e9",
      b"%PDF-1.5\n1 0 obj\n" + xref_stream + b"\nendobj\nstartxref\n9\n%%EOF\n")
kids = b"[" + b" ".join(b"%d 0 R" % n for n in range(3, 303)) + b"]"
nodes = {n: b"<< /Type /Pages /Kids 2 0 R >>" for n in range(3, 303)}
nodes.update({1: b"<< /Type /Catalog /Pages 3 0 R >>", 2: kids})
write("xref", "nodes-sharing-one-kids-array", pdf(nodes))

# Filters.
write("ascii85", "z-groups", b"z" * 20000 + b"~>")
write("flate", "zeros-4-mib", bomb)
lzw = open(os.path.join(os.path.dirname(root), "..", "tests", "data", "lzw-plain.lzw"),
           "rb").read()
write("lzw", "full-table", lzw[:8000])
write("lzw", "undefined-code", b"\x80\x0b\x60\x50\x22\x0c\x0c\x85\x01\xff\xff\xff")
write("predictor", "row-longer-than-data", b"\x02\x0f" + struct.pack(">HHH", 65, 17, 4001) +
      b"\x04" * 100)

# Pictures.
with tempfile.TemporaryDirectory() as work:
    ppm = os.path.join(work, "p.ppm")
    with open(ppm, "wb") as f:
        f.write(b"P6\n16 16\n255\n" + bytes(range(256)) * 3)
    jpeg = subprocess.run(["pnmtojpeg", ppm], check=True, capture_output=True).stdout
sof = jpeg.find(b"\xff\xc0")
huge = bytearray(jpeg)
huge[sof + 5:sof + 9] = struct.pack(">HH", 60000, 60000)
write("jpeg", "size-60000-squared", bytes(huge))
write("jpeg", "cut-short", jpeg[:len(jpeg) // 2])
write("ccitt", "large-garbage", b"\x00\x00" + struct.pack(">HH", 40002, 40002) + b"\xaa" * 2000)
write("flate_image", "short-16-bit-rgb", struct.pack(">HH", 101, 101) + b"\x04\x02\x02\x00" +
      b"\x00\x00\x00\x00" + b"\x80" * 500)

# Fonts and mapping.
write("fonts", "huge-ranges",
      b"<< /F1 << /Type /Font /Subtype /Type1 /Widths [" + b"500 " * 10000 + b"] >> >>\n"
      b"1 begincodespacerange <0000> <FFFF> endcodespacerange\n"
      b"1 beginbfrange <0000> <FFFF> <0041> endbfrange\n"
      b"1 beginbfrange <0000> <FFFF> [" + b"<0042> " * 3000 + b"] endbfrange\n")

# Whole conversions: one cap each.
write("conversion", "zip-bomb-page",
      one_page(stream(b"/Filter /FlateDecode", zlib.compress(b"BT /F1 12 Tf 72 700 Td (vorher) "
                                                            b"Tj ET\n" + bytes(4 << 20), 9))))
write("conversion", "many-saved-states",
      one_page(stream(b"/Filter /FlateDecode",
                      zlib.compress(b"q 1 0 0 1 1 0 cm " * 6000 + b"BT (x) Tj ET"))))
write("conversion", "many-operands", one_page(stream(b"/Filter /FlateDecode", zlib.compress(
    b"1 " * (1100 << 10) + b"BT (x) Tj ET", 9))))
write("conversion", "far-gaps",
      one_page(stream(b"", b"BT /F1 12 Tf 0 700 Td (a) Tj 1e30 0 Td (b) Tj 0 -1e30 Td (c) Tj "
                           b"[(d) -1e30 (e)] TJ 1e30 Tf (f) Tj ET")))
write("conversion", "huge-pictures", one_page(
    stream(b"", b"q 100 0 0 100 0 0 cm /Im1 Do /Im2 Do Q"),
    b"/XObject << /Im1 5 0 R /Im2 6 0 R >>",
    {5: stream(b"/Type /XObject /Subtype /Image /Width 100000 /Height 100000 /ColorSpace "
               b"/DeviceRGB /BitsPerComponent 8 /Filter /DCTDecode", bytes(huge)),
     6: stream(b"/Type /XObject /Subtype /Image /Width 60000 /Height 60000 /ColorSpace "
               b"/DeviceGray /BitsPerComponent 8 /Filter /FlateDecode", bomb)}))
write("conversion", "shared-contents-array", pdf({
    1: b"<< /Type /Catalog /Pages 2 0 R >>",
    2: b"<< /Type /Pages /Kids [" + b" ".join(b"%d 0 R" % n for n in range(10, 60)) + b"] >>",
    3: b"[" + b"4 0 R " * 5000 + b"]",
    4: stream(b"/Filter /FlateDecode", bomb),
    **{n: b"<< /Type /Page /Contents 3 0 R >>" for n in range(10, 60)}}))
