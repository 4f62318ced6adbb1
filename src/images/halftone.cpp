// Halftoning for palette screens: an ordered dither onto the 6 × 6 × 6 colour cube.
#include <array>

#include "images/pixolet.h"

namespace paginor {

namespace {

constexpr int kLevels = 6;

// The 8 × 8 Bayer matrix, thresholds 0..63.
constexpr std::array<std::array<int, 8>, 8> kBayer = {{{0, 32, 8, 40, 2, 34, 10, 42},
                                                       {48, 16, 56, 24, 50, 18, 58, 26},
                                                       {12, 44, 4, 36, 14, 46, 6, 38},
                                                       {60, 28, 52, 20, 62, 30, 54, 22},
                                                       {3, 35, 11, 43, 1, 33, 9, 41},
                                                       {51, 19, 59, 27, 49, 17, 57, 25},
                                                       {15, 47, 7, 39, 13, 45, 5, 37},
                                                       {63, 31, 55, 23, 61, 29, 53, 21}}};

std::vector<TRGBQuad> CubePalette() {
  std::vector<TRGBQuad> palette(256);
  for (int r = 0; r < kLevels; ++r) {
    for (int g = 0; g < kLevels; ++g) {
      for (int b = 0; b < kLevels; ++b) {
        palette[static_cast<std::size_t>((r * kLevels + g) * kLevels + b)] =
            TRGBQuad{static_cast<uint8_t>(b * 51), static_cast<uint8_t>(g * 51),
                     static_cast<uint8_t>(r * 51), 0};
      }
    }
  }
  return palette;
}

// One channel value dithered to a cube level.
int Level(int value, int threshold) {
  // value * 5 / 255 spans the levels; the threshold decides the rounding.
  const int scaled = value * (kLevels - 1) * 64 / 255;
  const int level = scaled / 64 + ((scaled % 64) > threshold ? 1 : 0);
  return level < kLevels ? level : kLevels - 1;
}

}  // namespace

void DIBHalftoneDIBXY(TDIB& out, const TDIB& in, int32_t width, int32_t height) {
  deldib(out);
  if (!in.HasBits() || (in.BitCount() != 24 && in.BitCount() != 32)) return;
  const std::vector<TRGBQuad> palette = CubePalette();
  newdib(out, width, height, 8, palette.data(), static_cast<int>(palette.size()));
  if (!out.HasBits()) return;
  const int bytes = in.BitCount() / 8;
  for (int32_t y = 0; y < height; ++y) {
    const int32_t source_y = static_cast<int32_t>(int64_t{y} * in.Height() / height);
    const uint8_t* source = in.Row(source_y);
    uint8_t* target = out.Row(y);
    for (int32_t x = 0; x < width; ++x) {
      const int32_t source_x = static_cast<int32_t>(int64_t{x} * in.Width() / width);
      const uint8_t* p = source + static_cast<std::ptrdiff_t>(source_x) * bytes;
      const int threshold =
          kBayer[static_cast<std::size_t>(y % 8)][static_cast<std::size_t>(x % 8)];
      const int r = Level(p[2], threshold);
      const int g = Level(p[1], threshold);
      const int b = Level(p[0], threshold);
      target[x] = static_cast<uint8_t>((r * kLevels + g) * kLevels + b);
    }
  }
}

void DIBHalftoneDIB(TDIB& out, const TDIB& in) {
  DIBHalftoneDIBXY(out, in, in.Width(), in.Height());
}

}  // namespace paginor
