// Small pictures of every depth for the drawing tests, made from their colours.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "images/pixolet.h"

namespace paginor::testing {

// A picture of the given depth whose pixels, top row first, have these colours (0xRRGGBB).
// Palette depths get a table of the distinct colours; 16-bit pixels hold 5 bits a channel, so
// their colours should use channel values 0 and 255 only.
inline TDIB PictureOf(int bits, int32_t width, int32_t height,
                      const std::vector<uint32_t>& top_down) {
  std::vector<TRGBQuad> table;
  std::vector<uint32_t> distinct;
  if (bits <= 8) {
    for (const uint32_t c : top_down) {
      if (std::find(distinct.begin(), distinct.end(), c) == distinct.end()) distinct.push_back(c);
    }
    for (const uint32_t c : distinct) {
      table.push_back({static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8),
                       static_cast<uint8_t>(c >> 16), 0});
    }
  }
  TDIB dib;
  newdib(dib, width, height, bits, table.empty() ? nullptr : table.data(),
         static_cast<int>(table.size()));
  for (int32_t row = 0; row < height; ++row) {
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t c = top_down[static_cast<std::size_t>(row * width + x)];
      uint32_t value = c;
      if (bits <= 8) {
        value = static_cast<uint32_t>(std::find(distinct.begin(), distinct.end(), c) -
                                      distinct.begin());
      } else if (bits == 16) {
        value = (c >> 19 & 31) << 10 | (c >> 11 & 31) << 5 | (c >> 3 & 31);
      }
      setpixel(dib, x, height - 1 - row, value);
    }
  }
  return dib;
}

constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kYellow = 0xFFFF00;

}  // namespace paginor::testing
