// Small pictures of every depth the imaging layer makes, with the colour each pixel must come
// back as, for the save round-trip tests.
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

#include "images/pixolet.h"

namespace paginor::save_test {

// Channel values from 0 to scale: 255, or 31 for the five bits of a 16-bit pixel's channels.
struct Colour {
  int red = 0;
  int green = 0;
  int blue = 0;
  int scale = 255;
};

struct PictureCase {
  const char* name;
  int bits;
  int width;
  int height;
  std::vector<TRGBQuad> colors;  // the table given to newdib; empty for its grey ramp
  // The setpixel value of column x in row top_y, counted from the top of the picture.
  uint32_t (*value)(int x, int top_y);
  bool over_256_colours = false;  // palette-only formats can only approximate it
};

inline void PrintTo(const PictureCase& picture, std::ostream* out) {
  *out << picture.name;
}

// Pictures of 19 × 7 pixels (odd and over 16 wide, so every depth pads its rows), one or two
// for each depth, in blocks of colour placed so that no flip or mirror maps a picture onto
// itself, plus a larger one with thousands of colours.
const std::vector<PictureCase>& SmallPictures();
// 2100 pixels wide (a bit plane row over 256 bytes), so every run-length code must split its
// runs and literal stretches: one row of a single value, one where no two neighbours agree,
// one mixed.
const std::vector<PictureCase>& LongRowPictures();
// Single pixels, single rows and columns.
const std::vector<PictureCase>& OddSizePictures();
const PictureCase& PictureNamed(const char* name);

// The bitmap the case describes. The unused fourth byte of 32-bit pixels is set, so a writer
// that takes it for a colour channel is caught.
TDIB MakePicture(const PictureCase& picture);
// What the pixel at column x, row top_y must read back as, worked out from the case alone.
Colour ExpectedColour(const PictureCase& picture, int x, int top_y);

}  // namespace paginor::save_test
