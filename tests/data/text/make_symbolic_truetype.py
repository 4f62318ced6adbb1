#!/usr/bin/env python3
"""Writes a tiny symbolic TrueType program: a (3,0) character map putting "bullet",
"arrowright" and "a" (named in its 'post' table) at F021 to F023, as symbol fonts do."""
import sys

sys.path.insert(0, "/usr/lib/python3/dist-packages")
from fontTools.fontBuilder import FontBuilder  # noqa: E402
from fontTools.pens.ttGlyphPen import TTGlyphPen  # noqa: E402
from fontTools.ttLib.tables._c_m_a_p import cmap_format_4  # noqa: E402

names = [".notdef", "bullet", "arrowright", "a"]
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
fb.setupNameTable({"familyName": "PaginorSymbol", "styleName": "Regular"})
fb.setupCharacterMap({0xF021: "bullet", 0xF022: "arrowright", 0xF023: "a"})
fb.setupOS2()
fb.setupPost()  # format 2: glyph names kept
table = fb.font["cmap"]
symbol = cmap_format_4(4)
symbol.platformID, symbol.platEncID, symbol.language = 3, 0, 0
symbol.cmap = {0xF021: "bullet", 0xF022: "arrowright", 0xF023: "a"}
table.tables = [symbol]
fb.save(sys.argv[1])
