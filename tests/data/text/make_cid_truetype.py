#!/usr/bin/env python3
"""Writes a tiny TrueType program for CID fonts: glyphs 3, 4, 5 and 9 are A, B, C and x in its
(3,1) character map, the other glyphs have no character."""
import sys

sys.path.insert(0, "/usr/lib/python3/dist-packages")
from fontTools.fontBuilder import FontBuilder  # noqa: E402
from fontTools.pens.ttGlyphPen import TTGlyphPen  # noqa: E402

names = [".notdef", "g1", "g2", "A", "B", "C", "g6", "g7", "g8", "x"]
fb = FontBuilder(1000, isTTF=True)
fb.setupGlyphOrder(names)
glyphs = {}
for n in names:
    pen = TTGlyphPen(None)
    pen.moveTo((0, 0)); pen.lineTo((400, 0)); pen.lineTo((400, 600)); pen.closePath()
    glyphs[n] = pen.glyph()
fb.setupGlyf(glyphs)
fb.setupHorizontalMetrics({n: (500, 0) for n in names})
fb.setupHorizontalHeader(ascent=800, descent=-200)
fb.setupNameTable({"familyName": "PaginorCid", "styleName": "Regular"})
fb.setupCharacterMap({ord("A"): "A", ord("B"): "B", ord("C"): "C", ord("x"): "x"})
fb.setupOS2()
fb.setupPost(keepGlyphNames=False)
fb.save(sys.argv[1])
