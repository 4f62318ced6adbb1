// Reads the binary netpbm files (P4, P5, P6) that tests keep as the pixels a picture holds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace paginor::testing {

struct Rgb {
  int r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct Pnm {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;  // top row first; P4 1 bits are black
  Rgb At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Empty (width 0) when the bytes are no binary PNM of maxval 255.
Pnm ParsePnm(const std::string& bytes);

}  // namespace paginor::testing
