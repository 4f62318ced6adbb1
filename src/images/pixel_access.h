// Reading the pixels of a bitmap of any depth the way the writers need them: as colours, as
// rows of red, green, blue, or as colour indices with their table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "images/pixolet.h"

namespace paginor {

struct Rgb {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
};

// True when the record holds a bitmap whose size fields agree with its pixel memory, so that
// every row and pixel the writers read lies inside it.
bool IsWritable(const TDIB& dib);

// A 5-bit channel of a 16-bit pixel widened to 8 bits, so that 31 becomes 255.
constexpr uint8_t Expand5(uint32_t v) {
  return static_cast<uint8_t>((v & 31) << 3 | (v & 31) >> 2);
}

// The colour at column x of stored row y. Palette indices past the table read as black.
Rgb PixelRgb(const TDIB& dib, int32_t x, int32_t y);

// Stored row y as red, green, blue triples, into out (resized to 3 × width).
void RgbRow(const TDIB& dib, int32_t y, std::vector<uint8_t>& out);

// True when every entry is a grey (red = green = blue).
bool IsGreyPalette(const std::vector<TRGBQuad>& colors);

// The table padded with black (or cut) to count entries.
std::vector<TRGBQuad> PaddedColors(const std::vector<TRGBQuad>& colors, std::size_t count);

// A picture as one colour index per pixel (one byte each), rows in stored order: row 0 is the
// bottom of the picture, as in the bitmap.
struct IndexedPicture {
  int32_t width = 0;
  int32_t height = 0;
  int bit_count = 8;             // 1, 4 or 8: every index fits in this many bits
  std::vector<uint8_t> pixels;   // width × height indices
  std::vector<TRGBQuad> colors;  // every index used has an entry; at most 2^bit_count
  const uint8_t* Row(int32_t y) const {
    return pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
  }
};

// Palette bitmaps keep their indices and their table (padded to 2^BitCount entries); deeper
// ones are reduced to at most 256 colours with libimagequant. Nothing when the bitmap is not
// writable or the reduction fails.
std::optional<IndexedPicture> ToIndexed(const TDIB& dib);

// The reduction itself, for 16, 24 and 32-bit bitmaps.
std::optional<IndexedPicture> QuantizeTo256(const TDIB& dib);

}  // namespace paginor
