#include <gtest/gtest.h>
#include <algorithm>
#include <tuple>

#include "images/pixolet.h"

namespace paginor {
namespace {

TEST(Dib, NewBitmapsAreZeroFilledWithPaddedRowsAndAGreyRamp) {
  TDIB dib;
  newdib(dib, 17, 3, 4);
  ASSERT_TRUE(dib.HasBits());
  EXPECT_EQ(dib.RowBytes(), 12);  // 17 × 4 bits = 68 bits -> 9 bytes -> 12
  EXPECT_EQ(dib.Bitmap()->Bits.size(), 36u);
  EXPECT_EQ(std::count(dib.Bitmap()->Bits.begin(), dib.Bitmap()->Bits.end(), 0), 36);
  ASSERT_EQ(dib.Colors().size(), 16u);
  EXPECT_EQ(dib.Colors()[15], (TRGBQuad{255, 255, 255, 0}));
  EXPECT_EQ(dib.Colors()[1], (TRGBQuad{17, 17, 17, 0}));

  const TRGBQuad table[2] = {{0, 0, 255, 0}, {0, 255, 0, 0}};
  newdib(dib, 1, 1, 1, table, 2);
  EXPECT_EQ(dib.Colors()[0], table[0]);
  EXPECT_EQ(dib.RowBytes(), 4);

  newdib(dib, 2, 2, 24);
  EXPECT_TRUE(dib.Colors().empty());
  EXPECT_FALSE(dib.HasPalette());
}

TEST(Dib, ImpossibleRequestsGiveNoBitmap) {
  TDIB dib;
  for (const auto& [w, h, bits] :
       {std::tuple{0, 5, 8}, {5, -1, 8}, {5, 5, 3}, {100000, 100000, 24}}) {
    newdib(dib, w, h, bits);
    EXPECT_FALSE(dib.HasBits()) << w << "x" << h << "x" << bits;
    EXPECT_EQ(dib.Row(0), nullptr);
  }
}

TEST(Dib, CopiesShareTheBitmapAndReleasingOneKeepsTheOther) {
  TDIB original;
  newdib(original, 4, 4, 8);
  TDIB copy = original;
  setpixel(copy, 1, 2, 200);
  EXPECT_EQ(getpixel(original, 1, 2), 200u);
  deldib(original);
  EXPECT_FALSE(original.HasBits());
  ASSERT_TRUE(copy.HasBits());
  EXPECT_EQ(getpixel(copy, 1, 2), 200u);
  deldib(original);  // a second release of the same record does nothing
  deldib(copy);
  EXPECT_FALSE(copy.HasBits());
}

TEST(Dib, PixelsOfEveryDepth) {
  const struct {
    int bits;
    uint32_t value;
  } cases[] = {{1, 1}, {4, 11}, {8, 201}, {16, 0x7C1F}, {24, 0x123456}, {32, 0xABCDEF}};
  for (const auto& c : cases) {
    TDIB dib;
    newdib(dib, 9, 2, c.bits);
    setpixel(dib, 7, 1, c.value);
    EXPECT_EQ(getpixel(dib, 7, 1), c.value) << c.bits;
    EXPECT_EQ(getpixel(dib, 6, 1), 0u) << c.bits;
    EXPECT_EQ(getpixel(dib, 8, 1), 0u) << c.bits;
    EXPECT_EQ(getpixel(dib, 7, 0), 0u) << c.bits;
    setpixel(dib, 9, 0, c.value);  // out of range: ignored
    setpixel(dib, -1, 0, c.value);
    EXPECT_EQ(getpixel(dib, 9, 0), 0u) << c.bits;
  }
  TDIB dib;
  newdib(dib, 9, 1, 24);
  setpixel(dib, 0, 0, 0x112233);
  EXPECT_EQ(dib.Row(0)[0], 0x33);  // blue first
  EXPECT_EQ(dib.Row(0)[2], 0x11);
}

TEST(Dib, HalftoneKeepsColoursCloseAndScales) {
  TDIB picture;
  newdib(picture, 16, 16, 24);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x)
      setpixel(picture, x, y, x < 8 ? 0xFF0000 : 0x0000FF);
  }
  TDIB halftoned;
  DIBHalftoneDIB(halftoned, picture);
  ASSERT_EQ(halftoned.BitCount(), 8);
  ASSERT_EQ(halftoned.Width(), 16);
  const TRGBQuad left = halftoned.Colors()[getpixel(halftoned, 2, 2)];
  const TRGBQuad right = halftoned.Colors()[getpixel(halftoned, 12, 2)];
  EXPECT_EQ(left, (TRGBQuad{0, 0, 255, 0}));
  EXPECT_EQ(right, (TRGBQuad{255, 0, 0, 0}));

  TDIB scaled;
  DIBHalftoneDIBXY(scaled, picture, 4, 2);
  EXPECT_EQ(scaled.Width(), 4);
  EXPECT_EQ(scaled.Height(), 2);
  EXPECT_EQ(scaled.Colors()[getpixel(scaled, 3, 1)], (TRGBQuad{255, 0, 0, 0}));

  TDIB palette;
  newdib(palette, 2, 2, 8);
  DIBHalftoneDIB(halftoned, palette);  // only true-colour pictures are halftoned
  EXPECT_FALSE(halftoned.HasBits());
}

TEST(Dib, OpenDibRefusesWhatItCannotRead) {
  TDIB dib;
  newdib(dib, 1, 1, 8);
  for (const std::string& bytes : {std::string(), std::string("\xFF\xD8\xFF"),
                                   std::string("II*\0", 4), std::string("GIF89a")}) {
    OpenDib(dib, bytes);
    EXPECT_FALSE(dib.HasBits());
  }
}

}  // namespace
}  // namespace paginor
