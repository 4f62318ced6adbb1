#include "images/pixel_access.h"

#include <algorithm>

namespace paginor {

bool IsWritable(const TDIB& dib) {
  const TDibBitmap* b = dib.Bitmap();
  if (b == nullptr || b->Bits.empty() || b->Width <= 0 || b->Height <= 0) return false;
  switch (b->BitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
      break;
    default:
      return false;
  }
  if (b->RowBytes <= 0 || b->RowBytes != DibRowBytes(b->Width, b->BitCount)) return false;
  return b->Bits.size() / static_cast<std::size_t>(b->RowBytes) >=
         static_cast<std::size_t>(b->Height);
}

Rgb PixelRgb(const TDIB& dib, int32_t x, int32_t y) {
  const uint32_t v = getpixel(dib, x, y);
  switch (dib.BitCount()) {
    case 1:
    case 4:
    case 8: {
      const std::vector<TRGBQuad>& colors = dib.Colors();
      if (v >= colors.size()) return {};
      const TRGBQuad& c = colors[v];
      return {c.Red, c.Green, c.Blue};
    }
    case 16:
      return {Expand5(v >> 10), Expand5(v >> 5), Expand5(v)};
    default:
      return {static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
  }
}

void RgbRow(const TDIB& dib, int32_t y, std::vector<uint8_t>& out) {
  const int32_t width = std::max(dib.Width(), 0);
  out.resize(static_cast<std::size_t>(width) * 3);
  for (int32_t x = 0; x < width; ++x) {
    const Rgb c = PixelRgb(dib, x, y);
    uint8_t* p = out.data() + static_cast<std::size_t>(x) * 3;
    p[0] = c.red;
    p[1] = c.green;
    p[2] = c.blue;
  }
}

bool IsGreyPalette(const std::vector<TRGBQuad>& colors) {
  return std::all_of(colors.begin(), colors.end(),
                     [](const TRGBQuad& c) { return c.Red == c.Green && c.Green == c.Blue; });
}

std::vector<TRGBQuad> PaddedColors(const std::vector<TRGBQuad>& colors, std::size_t count) {
  std::vector<TRGBQuad> padded(count);
  std::copy_n(colors.begin(), std::min(count, colors.size()), padded.begin());
  return padded;
}

std::optional<IndexedPicture> ToIndexed(const TDIB& dib) {
  if (!IsWritable(dib)) return std::nullopt;
  if (dib.BitCount() > 8) return QuantizeTo256(dib);
  IndexedPicture picture;
  picture.width = dib.Width();
  picture.height = dib.Height();
  picture.bit_count = dib.BitCount();
  picture.colors = PaddedColors(dib.Colors(), std::size_t{1} << dib.BitCount());
  picture.pixels.resize(static_cast<std::size_t>(picture.width) *
                        static_cast<std::size_t>(picture.height));
  // The indices row by row, most significant bits first, as getpixel reads them.
  const int bits = dib.BitCount();
  const auto width = static_cast<std::size_t>(picture.width);
  const unsigned mask = (1u << bits) - 1;
  for (int32_t y = 0; y < picture.height; ++y) {
    const uint8_t* row = dib.Row(y);
    uint8_t* out = picture.pixels.data() + static_cast<std::size_t>(y) * width;
    if (bits == 8) {
      std::copy_n(row, width, out);
      continue;
    }
    for (std::size_t x = 0; x < width; ++x) {
      const std::size_t bit = x * static_cast<std::size_t>(bits);
      out[x] = static_cast<uint8_t>((row[bit / 8] >> (8 - bits - bit % 8)) & mask);
    }
  }
  return picture;
}

}  // namespace paginor
