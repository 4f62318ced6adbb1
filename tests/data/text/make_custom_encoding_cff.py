#!/usr/bin/env python3
"""Writes a tiny CFF font program (Type1C) whose own encoding puts glyphs at codes 1 to 3."""
import sys
sys.path.insert(0, "/usr/lib/python3/dist-packages")
from fontTools.fontBuilder import FontBuilder
from fontTools.pens.t2CharStringPen import T2CharStringPen

names = [".notdef", "fi", "ffi", "germandbls"]
fb = FontBuilder(1000, isTTF=False)
fb.setupGlyphOrder(names)
fb.setupCharacterMap({})
charstrings = {}
for n in names:
    pen = T2CharStringPen(500, None)
    pen.moveTo((0, 0)); pen.lineTo((400, 0)); pen.lineTo((400, 600)); pen.closePath()
    charstrings[n] = pen.getCharString()
fb.setupCFF("PaginorTest", {"FullName": "PaginorTest"}, charstrings, {})
top = fb.font["CFF "].cff.topDictIndex[0]
encoding = [".notdef"] * 256
encoding[1], encoding[2], encoding[3] = "fi", "ffi", "germandbls"
top.Encoding = encoding
from io import BytesIO
out = BytesIO()
fb.font["CFF "].cff.compile(out, fb.font)
open(sys.argv[1], "wb").write(out.getvalue())
