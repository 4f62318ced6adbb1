#include "images/flate_image.h"

#include <cstring>

namespace paginor {

namespace {

void RgbToDib(TDIB& dib, const std::string& s, int32_t width, int32_t height, int sample_bytes) {
  newdib(dib, width, height, 24);
  if (!dib.HasBits()) return;
  const std::size_t row_in = static_cast<std::size_t>(width) * 3 * sample_bytes;
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = dib.Row(height - 1 - y);
    const auto* in = reinterpret_cast<const uint8_t*>(s.data()) + row_in * y;
    for (int32_t x = 0; x < width; ++x) {
      // Blue, green, red; of 16-bit samples the high byte.
      const uint8_t* p = in + static_cast<std::size_t>(x) * 3 * sample_bytes;
      row[3 * x] = p[2 * sample_bytes];
      row[3 * x + 1] = p[sample_bytes];
      row[3 * x + 2] = p[0];
    }
  }
}

// CMYK samples of 1 or 2 bytes (the high one taken) into 24-bit RGB: each ink takes its
// share of the white that black leaves.
void CmykToDib(TDIB& dib, const std::string& s, int32_t width, int32_t height, int sample_bytes) {
  newdib(dib, width, height, 24);
  if (!dib.HasBits()) return;
  const std::size_t row_in = static_cast<std::size_t>(width) * 4 * sample_bytes;
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = dib.Row(height - 1 - y);
    const auto* in = reinterpret_cast<const uint8_t*>(s.data()) + row_in * y;
    for (int32_t x = 0; x < width; ++x) {
      const uint8_t* p = in + static_cast<std::size_t>(x) * 4 * sample_bytes;
      const int k = p[3 * sample_bytes];
      const auto ink = [k](int c) { return static_cast<uint8_t>((255 - c) * (255 - k) / 255); };
      row[3 * x] = ink(p[2 * sample_bytes]);
      row[3 * x + 1] = ink(p[sample_bytes]);
      row[3 * x + 2] = ink(p[0]);
    }
  }
}

enum class TSampleLayout { None, Cmyk, Rgb8, Rgb16, OneComponent };

// How the samples are read, from their number alone.
TSampleLayout LayoutOf(int64_t size, int32_t width, int32_t height, int bpc,
                       const TImageAttributes& a) {
  const int64_t pixels = int64_t{width} * height;
  if (width <= 0 || height <= 0) return TSampleLayout::None;
  if (a.Modern && a.Family == TColorFamily::Cmyk && (bpc == 8 || bpc == 16) &&
      size >= pixels * 4 * (bpc / 8)) {
    return TSampleLayout::Cmyk;
  }
  if (size == pixels * 3) return TSampleLayout::Rgb8;
  if (a.Family == TColorFamily::Rgb && bpc == 16 && size >= pixels * 6) return TSampleLayout::Rgb16;
  const bool one_component = a.Family == TColorFamily::Gray || a.Family == TColorFamily::Indexed ||
                             a.Family == TColorFamily::Unknown || a.ImageMask;
  if (!one_component || !(bpc == 1 || bpc == 2 || bpc == 4 || bpc == 8 || bpc == 16)) {
    return TSampleLayout::None;
  }
  return TSampleLayout::OneComponent;
}

// 2-bit samples become 4-bit indices, 16-bit samples their high byte.
int DepthOf(TSampleLayout layout, int bpc) {
  switch (layout) {
    case TSampleLayout::Cmyk:
    case TSampleLayout::Rgb8:
    case TSampleLayout::Rgb16:
      return 24;
    case TSampleLayout::OneComponent:
      return bpc == 2 ? 4 : bpc == 16 ? 8 : bpc;
    case TSampleLayout::None:
      break;
  }
  return 0;
}

}  // namespace

int FlateBitmapDepth(int64_t size, int32_t width, int32_t height, int bpc,
                     const TImageAttributes& a) {
  const int depth = DepthOf(LayoutOf(size, width, height, bpc, a), bpc);
  if (depth == 0) return 0;
  const int32_t row_bytes = DibRowBytes(width, depth);
  // The bitmap newdib would refuse.
  if (row_bytes <= 0 || int64_t{row_bytes} * height > kMaxBitmapBytes) return 0;
  return depth;
}

void FlateSamplesToDib(TDIB& dib, const std::string& samples, int32_t width, int32_t height,
                       int bpc, const TImageAttributes& a) {
  deldib(dib);
  const TSampleLayout layout =
      LayoutOf(static_cast<int64_t>(samples.size()), width, height, bpc, a);
  switch (layout) {
    case TSampleLayout::Cmyk:
      CmykToDib(dib, samples, width, height, bpc / 8);
      return;
    case TSampleLayout::Rgb8:
      RgbToDib(dib, samples, width, height, 1);
      return;
    case TSampleLayout::Rgb16:
      RgbToDib(dib, samples, width, height, 2);
      return;
    case TSampleLayout::None:
      return;
    case TSampleLayout::OneComponent:
      break;
  }

  const int depth = DepthOf(layout, bpc);
  const std::vector<TRGBQuad> palette = PaletteFor(a, bpc == 16 ? 8 : bpc);
  newdib(dib, width, height, depth, palette.data(), static_cast<int>(palette.size()));
  if (!dib.HasBits()) return;
  const auto row_in = static_cast<std::size_t>((int64_t{width} * bpc + 7) / 8);
  for (int32_t j = 0; j < height; ++j) {
    const std::size_t at = row_in * static_cast<std::size_t>(height - 1 - j);
    if (at + row_in > samples.size()) continue;  // rows the data do not hold stay blank
    const auto* in = reinterpret_cast<const uint8_t*>(samples.data()) + at;
    uint8_t* row = dib.Row(j);
    if (bpc == depth) {
      std::memcpy(row, in, row_in);
    } else if (bpc == 2) {
      for (int32_t x = 0; x < width; ++x) {
        const int value = (in[x / 4] >> (6 - 2 * (x % 4))) & 3;
        row[x / 2] = static_cast<uint8_t>(row[x / 2] | value << (x % 2 == 0 ? 4 : 0));
      }
    } else {
      for (int32_t x = 0; x < width; ++x)
        row[x] = in[2 * x];
    }
  }
}

}  // namespace paginor
