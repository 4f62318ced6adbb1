// The format writers behind EncodeDib. Each returns the whole file, or nothing when the bitmap
// is not writable (IsWritable), too large for the format's size fields, or a library fails.
#pragma once

#include <string>

#include "images/pixolet.h"

namespace paginor {

// Windows bitmap; with rle, BI_RLE8 or BI_RLE4 compressed (deeper pictures reduced to 8 bits).
std::string EncodeBmp(const TDIB& dib, bool rle);
// GIF through giflib; deeper pictures reduced to 256 colours.
std::string EncodeGif(const TDIB& dib);
// FORM ILBM with ByteRun1 bodies; deeper pictures as 24 planes.
std::string EncodeIlbm(const TDIB& dib);
// JFIF through libjpeg at quality 90, greyscale when the palette is all grey.
std::string EncodeJpeg(const TDIB& dib);
// ZSoft PCX, version 5, run-length encoded.
std::string EncodePcx(const TDIB& dib);
// Truevision TGA, uncompressed: colour-mapped up to 8 bits, true colour above.
std::string EncodeTga(const TDIB& dib);
// TIFF through libtiff, LZW compressed, written in memory.
std::string EncodeTiff(const TDIB& dib);
// PNG through libpng: palette pictures with their depth and table, deeper ones as RGB.
std::string EncodePng(const TDIB& dib);

}  // namespace paginor
