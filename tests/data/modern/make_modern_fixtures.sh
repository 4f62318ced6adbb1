#!/bin/sh
# Makes the fixtures of tests/data/modern with qpdf: the text fixtures rewritten with object
# streams and a cross-reference stream (/W [1 2 1] or wider, PNG predictor 12), as pdfTeX,
# LuaTeX, qpdf and many office programs write them. Needs qpdf.
set -eu
cd "$(dirname "$0")"
qpdf --object-streams=generate ../text/ps2pdf-columns.pdf ps2pdf-columns-objstm.pdf
qpdf --object-streams=generate ../text/groff-ms.pdf groff-ms-objstm.pdf
qpdf --object-streams=generate ../images/img2pdf-png.pdf img2pdf-png-objstm.pdf
