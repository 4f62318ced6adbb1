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

}  // namespace

void FlateSamplesToDib(TDIB& dib, const std::string& samples, int32_t width, int32_t height,
                       int bpc, const TImageAttributes& a) {
  deldib(dib);
  const int64_t pixels = int64_t{width} * height;
  const auto size = static_cast<int64_t>(samples.size());
  if (pixels <= 0) return;
  if (a.Modern && a.Family == TColorFamily::Cmyk && (bpc == 8 || bpc == 16) &&
      size >= pixels * 4 * (bpc / 8)) {
    CmykToDib(dib, samples, width, height, bpc / 8);
    return;
  }
  if (size == pixels * 3) {
    RgbToDib(dib, samples, width, height, 1);
    return;
  }
  if (a.Family == TColorFamily::Rgb && bpc == 16 && size >= pixels * 6) {
    RgbToDib(dib, samples, width, height, 2);
    return;
  }
  const bool one_component = a.Family == TColorFamily::Gray || a.Family == TColorFamily::Indexed ||
                             a.Family == TColorFamily::Unknown || a.ImageMask;
  if (!one_component || !(bpc == 1 || bpc == 2 || bpc == 4 || bpc == 8 || bpc == 16)) return;

  // 2-bit samples become 4-bit indices, 16-bit samples their high byte.
  const int depth = bpc == 2 ? 4 : bpc == 16 ? 8 : bpc;
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
