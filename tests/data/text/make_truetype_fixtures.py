#!/usr/bin/env python3
"""Writes the tiny TrueType programs of the font tests (fontTools, from Debian's
python3-fonttools):
  cid.ttf       glyphs 3, 4, 5 and 9 are A, B, C and x in its (3,1) character map
  symbolic.ttf  a (3,0) map putting "bullet", "arrowright" and "a" (named in its 'post'
                table) at F021 to F023, as symbol fonts do
"""
import sys

sys.path.insert(0, "/usr/lib/python3/dist-packages")
from fontTools.fontBuilder import FontBuilder  # noqa: E402
from fontTools.pens.ttGlyphPen import TTGlyphPen  # noqa: E402
from fontTools.ttLib.tables._c_m_a_p import cmap_format_4  # noqa: E402


def font(names, family, characters, glyph_names):
    fb = FontBuilder(1000, isTTF=True)
    fb.setupGlyphOrder(names)
    glyphs = {}
    for n in names:
        pen = TTGlyphPen(None)
        pen.moveTo((0, 0))
        pen.lineTo((400, 0))
        pen.lineTo((400, 600))
        pen.closePath()
        glyphs[n] = pen.glyph()
    fb.setupGlyf(glyphs)
    fb.setupHorizontalMetrics({n: (500, 0) for n in names})
    fb.setupHorizontalHeader(ascent=800, descent=-200)
    fb.setupNameTable({"familyName": family, "styleName": "Regular"})
    fb.setupCharacterMap(characters)
    fb.setupOS2()
    fb.setupPost(keepGlyphNames=glyph_names)
    return fb


def main(folder):
    cid = font([".notdef", "g1", "g2", "A", "B", "C", "g6", "g7", "g8", "x"], "PaginorCid",
               {ord("A"): "A", ord("B"): "B", ord("C"): "C", ord("x"): "x"}, False)
    cid.save(f"{folder}/cid.ttf")
    codes = {0xF021: "bullet", 0xF022: "arrowright", 0xF023: "a"}
    symbolic = font([".notdef", "bullet", "arrowright", "a"], "PaginorSymbol", codes, True)
    symbol_map = cmap_format_4(4)
    symbol_map.platformID, symbol_map.platEncID, symbol_map.language = 3, 0, 0
    symbol_map.cmap = codes
    symbolic.font["cmap"].tables = [symbol_map]
    symbolic.save(f"{folder}/symbolic.ttf")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else ".")
