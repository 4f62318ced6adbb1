#include "images/stretch_draw.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/draw_pictures.h"
#include "support/recording_dc.h"

namespace paginor {
namespace {

using testing::kBlack;
using testing::kBlue;
using testing::kGreen;
using testing::kRed;
using testing::kWhite;
using testing::kYellow;
using testing::PictureOf;
using testing::RecordingDC;

// The whole picture into (x, y, w, h), as every caller draws: SRCCOPY, the bitmap's palette.
void DrawWhole(RecordingDC& dc, const TDIB& dib, int32_t x, int32_t y, int32_t w, int32_t h,
               bool halftone = true) {
  StretchDrawDIB(dc, x, y, w, h, dib, 0, 0, dib.Width(), dib.Height(), halftone, SRCCOPY, true,
                 nullptr);
}

// The canvas's colours in the rectangle, top row first.
std::vector<uint32_t> Canvas(const RecordingDC& dc, int32_t x, int32_t y, int32_t w, int32_t h) {
  std::vector<uint32_t> pixels;
  for (int32_t j = 0; j < h; ++j) {
    for (int32_t i = 0; i < w; ++i)
      pixels.push_back(dc.Pixel(x + i, y + j));
  }
  return pixels;
}

const RecordingDC::Call* Find(const RecordingDC& dc, const std::string& op) {
  for (const RecordingDC::Call& call : dc.calls) {
    if (call.op == op) return &call;
  }
  return nullptr;
}

// A 2 × 2 picture, red green over blue white, enlarged to 4 × 4: each pixel a 2 × 2 block.
const std::vector<uint32_t> kQuad = {kRed, kGreen, kBlue, kWhite};
const std::vector<uint32_t> kQuadEnlarged = {kRed,  kRed,  kGreen, kGreen,  //
                                             kRed,  kRed,  kGreen, kGreen,  //
                                             kBlue, kBlue, kWhite, kWhite,  //
                                             kBlue, kBlue, kWhite, kWhite};

// A 1-bit picture has two colours.
const std::vector<uint32_t> kTwoColours = {kRed, kBlue, kBlue, kRed};

// A 2 × 2 picture's colours enlarged to 4 × 4.
std::vector<uint32_t> Doubled(const std::vector<uint32_t>& quad) {
  std::vector<uint32_t> pixels;
  for (const int r : {0, 0, 1, 1}) {
    for (const int c : {0, 0, 1, 1})
      pixels.push_back(quad[static_cast<std::size_t>(r * 2 + c)]);
  }
  return pixels;
}

TEST(StretchRows, EnlargingRepeatsColumnsAndRows) {
  for (const int bits : {8, 24}) {
    SCOPED_TRACE(bits);
    RecordingDC dc(6, 6);
    const TDIB dib = PictureOf(bits, 2, 2, kQuad);
    if (bits == 24) {
      StretchRows24(dc, 1, 1, 4, 4, dib, 0, 0, 2, 2);
    } else {
      StretchRows8(dc, 1, 1, 4, 4, dib, 0, 0, 2, 2);
    }
    // One row bitmap of the destination's width per destination row, top to bottom.
    ASSERT_EQ(dc.Count("SetDIBitsToDevice"), 4);
    const std::vector<std::vector<uint32_t>> rows = {{kRed, kRed, kGreen, kGreen},
                                                     {kRed, kRed, kGreen, kGreen},
                                                     {kBlue, kBlue, kWhite, kWhite},
                                                     {kBlue, kBlue, kWhite, kWhite}};
    for (int r = 0; r < 4; ++r) {
      const RecordingDC::Call& call = dc.calls[static_cast<std::size_t>(r)];
      EXPECT_EQ(call.y, 1 + r);
      EXPECT_EQ(call.x, 1);
      EXPECT_EQ(call.width, 4);
      EXPECT_EQ(call.height, 1);
      EXPECT_EQ(call.bit_count, bits);
      EXPECT_EQ(call.first_row, rows[static_cast<std::size_t>(r)]) << "row " << r;
    }
    EXPECT_EQ(Canvas(dc, 1, 1, 4, 4), kQuadEnlarged);
    EXPECT_EQ(dc.Pixel(0, 0), RecordingDC::kUntouched);
    EXPECT_EQ(dc.Pixel(5, 5), RecordingDC::kUntouched);
  }
}

TEST(StretchRows, ShrinkingFiveColumnsToTwoTakesColumnsZeroAndTwo) {
  const std::vector<uint32_t> five = {kRed, kGreen, kBlue, kWhite, kYellow};
  for (const int bits : {8, 24}) {
    SCOPED_TRACE(bits);
    RecordingDC dc(2, 1);
    const TDIB dib = PictureOf(bits, 5, 1, five);
    DrawWhole(dc, dib, 0, 0, 2, 1);
    EXPECT_EQ(Canvas(dc, 0, 0, 2, 1), (std::vector<uint32_t>{kRed, kBlue}));
  }
}

TEST(StretchRows, SourceOutsideTheBitmapComesOutBlack) {
  const TDIB dib = PictureOf(24, 2, 2, kQuad);
  RecordingDC dc(4, 4);
  // One column left of the picture and one row above it.
  StretchRows24(dc, 0, 0, 3, 3, dib, -1, -1, 3, 3);
  EXPECT_EQ(Canvas(dc, 0, 0, 3, 3), (std::vector<uint32_t>{kBlack, kBlack, kBlack,  //
                                                           kBlack, kRed, kGreen,    //
                                                           kBlack, kBlue, kWhite}));
  // In an 8-bit row the zero is colour index 0, here green: the row below the picture.
  RecordingDC below(3, 3);
  StretchRows8(below, 0, 0, 2, 3, PictureOf(8, 2, 2, {kGreen, kBlue, kWhite, kRed}), 0, 0, 2, 3);
  EXPECT_EQ(Canvas(below, 0, 0, 2, 3),
            (std::vector<uint32_t>{kGreen, kBlue, kWhite, kRed, kGreen, kGreen}));
}

TEST(StretchRows, RowsOutsideTheClipBoxAreNotDrawn) {
  RecordingDC dc(4, 4);
  dc.clip = {0, 2, 4, 3};
  StretchRows24(dc, 0, 0, 4, 4, PictureOf(24, 2, 2, kQuad), 0, 0, 2, 2);
  ASSERT_EQ(dc.Count("SetDIBitsToDevice"), 1);
  EXPECT_EQ(dc.calls[0].y, 2);
  EXPECT_EQ(Canvas(dc, 0, 2, 4, 1), (std::vector<uint32_t>{kBlue, kBlue, kWhite, kWhite}));
}

TEST(StretchDrawDIB, ChoosesItsWayByDepthScreenAndTarget) {
  enum Way { Rows, Halftoned, Direct };
  const struct {
    const char* name;
    int bits;
    TTechnology target;
    int screen_bits;
    bool halftone;
    Way way;
  } cases[] = {
      {"24-bit on a 32-bit screen", 24, TTechnology::RasDisplay, 32, true, Rows},
      {"24-bit on a printer", 24, TTechnology::RasPrinter, 32, false, Direct},
      {"24-bit on an 8-bit screen", 24, TTechnology::RasDisplay, 8, true, Halftoned},
      {"24-bit on an 8-bit screen, no halftoning", 24, TTechnology::RasDisplay, 8, false, Rows},
      {"24-bit on a printer of a palette screen", 24, TTechnology::RasPrinter, 8, true, Halftoned},
      {"8-bit on a screen", 8, TTechnology::RasDisplay, 32, true, Rows},
      {"8-bit on an 8-bit screen", 8, TTechnology::RasDisplay, 8, true, Rows},
      {"8-bit on a printer", 8, TTechnology::RasPrinter, 32, false, Direct},
      {"1-bit on a screen", 1, TTechnology::RasDisplay, 32, true, Direct},
      {"4-bit on a screen", 4, TTechnology::RasDisplay, 8, true, Direct},
      {"16-bit on a screen", 16, TTechnology::RasDisplay, 32, true, Direct},
      {"32-bit on a palette screen", 32, TTechnology::RasDisplay, 8, true, Direct},
      {"32-bit on a printer", 32, TTechnology::RasPrinter, 32, false, Direct},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingDC dc(4, 4);
    dc.technology = c.target;
    dc.screen_bits = c.screen_bits;
    const std::vector<uint32_t> colours = c.bits == 1 ? kTwoColours : kQuad;
    DrawWhole(dc, PictureOf(c.bits, 2, 2, colours), 0, 0, 4, 4, c.halftone);
    ASSERT_FALSE(dc.calls.empty());
    EXPECT_EQ(dc.calls[0].op, "Technology");
    ASSERT_GE(dc.calls.size(), 2u);
    EXPECT_EQ(dc.calls[1].op, "SetStretchBltMode");
    EXPECT_EQ(dc.calls[1].x, COLORONCOLOR);
    switch (c.way) {
      case Rows:
        EXPECT_EQ(dc.Count("SetDIBitsToDevice"), 4);
        EXPECT_EQ(dc.Count("StretchDIBits"), 0);
        break;
      case Halftoned: {
        ASSERT_EQ(dc.Count("StretchDIBits"), 1);
        EXPECT_EQ(Find(dc, "StretchDIBits")->bit_count, 8);  // the palette-indexed copy
        EXPECT_EQ(dc.Count("SetDIBitsToDevice"), 0);
        break;
      }
      case Direct:
        ASSERT_EQ(dc.Count("StretchDIBits"), 1);
        EXPECT_EQ(Find(dc, "StretchDIBits")->bit_count, c.bits);
        EXPECT_EQ(dc.Count("SetDIBitsToDevice"), 0);
        break;
    }
    if (c.way != Halftoned) {
      EXPECT_EQ(Canvas(dc, 0, 0, 4, 4), Doubled(colours));
    }
  }
}

TEST(StretchDrawDIB, EveryDepthDrawsItsColoursOnScreenAndPrinter) {
  for (const int bits : {1, 4, 8, 16, 24, 32}) {
    for (const TTechnology target : {TTechnology::RasDisplay, TTechnology::RasPrinter}) {
      SCOPED_TRACE(std::to_string(bits) + " bits, target " + std::to_string(int(target)));
      const std::vector<uint32_t> colours = bits == 1 ? kTwoColours : kQuad;
      RecordingDC dc(8, 8);
      dc.technology = target;
      DrawWhole(dc, PictureOf(bits, 2, 2, colours), 2, 3, 4, 4);
      EXPECT_EQ(Canvas(dc, 2, 3, 4, 4), Doubled(colours));
      EXPECT_EQ(dc.Pixel(1, 3), RecordingDC::kUntouched);
      EXPECT_EQ(dc.Pixel(6, 7), RecordingDC::kUntouched);
    }
  }
}

TEST(StretchDrawDIB, ClipsTheSourceToTheBitmapAndScalesTheDestination) {
  const struct {
    const char* name;
    int32_t x, y, w, h, sx, sy, sw, sh;          // as called, on a 100 × 50 bitmap
    int32_t ex, ey, ew, eh, esx, esy, esw, esh;  // as drawn
  } cases[] = {
      {"inside", 0, 0, 200, 100, 0, 0, 100, 50, 0, 0, 200, 100, 0, 0, 100, 50},
      {"10 beyond the right edge", 0, 0, 200, 100, 10, 0, 100, 50, 0, 0, 180, 100, 10, 0, 90, 50},
      {"below the bottom row", 5, 7, 100, 60, 0, -10, 100, 60, 5, 7, 100, 50, 0, 0, 100, 50},
      {"above the top row", 5, 7, 100, 60, 0, 0, 100, 60, 5, 17, 100, 50, 0, 0, 100, 50},
      {"left of the first column", 0, 0, 120, 50, -20, 0, 120, 50, 20, 0, 100, 50, 0, 0, 100, 50},
      // 7 × 2 / 4 = 3.5 rounds to the even 4, 5 × 2 / 4 = 2.5 to the even 2.
      {"halves go to even", 0, 0, 7, 5, 98, 48, 4, 4, 0, 3, 4, 2, 98, 48, 2, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingDC dc(300, 200);
    dc.technology = TTechnology::RasPrinter;  // drawn by one recorded call
    TDIB dib;
    newdib(dib, 100, 50, 32);
    StretchDrawDIB(dc, c.x, c.y, c.w, c.h, dib, c.sx, c.sy, c.sw, c.sh, false, SRCCOPY, true,
                   nullptr);
    const RecordingDC::Call* call = Find(dc, "StretchDIBits");
    ASSERT_NE(call, nullptr);
    EXPECT_EQ((std::vector<int32_t>{call->x, call->y, call->width, call->height, call->src_x,
                                    call->src_y, call->src_width, call->src_height}),
              (std::vector<int32_t>{c.ex, c.ey, c.ew, c.eh, c.esx, c.esy, c.esw, c.esh}));
    EXPECT_EQ(call->rop, SRCCOPY);
  }
}

TEST(StretchDrawDIB, NothingToDrawDrawsNothing) {
  const TDIB dib = PictureOf(24, 2, 2, kQuad);
  const struct {
    const char* name;
    int32_t w, h, sx, sw;
  } cases[] = {{"destination height 0", 4, 0, 0, 2},
               {"destination width 0", 0, 4, 0, 2},
               {"source right of the bitmap", 4, 4, 2, 2},
               {"source width 0", 4, 4, 0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (const TTechnology target : {TTechnology::RasDisplay, TTechnology::RasPrinter}) {
      RecordingDC dc(4, 4);
      dc.technology = target;
      StretchDrawDIB(dc, 0, 0, c.w, c.h, dib, c.sx, 0, c.sw, 2, true, SRCCOPY, true, nullptr);
      EXPECT_EQ(dc.Count("StretchDIBits") + dc.Count("SetDIBitsToDevice"), 0);
      EXPECT_EQ(Canvas(dc, 0, 0, 4, 4), std::vector<uint32_t>(16, RecordingDC::kUntouched));
    }
  }
  RecordingDC dc(4, 4);
  DrawWhole(dc, TDIB(), 0, 0, 4, 4);  // a record without a bitmap
  EXPECT_EQ(dc.Count("StretchDIBits") + dc.Count("SetDIBitsToDevice"), 0);
}

TEST(StretchDrawDIB, HalftonesAtTheDestinationsScaleWhenShrinking) {
  TDIB dib;
  newdib(dib, 100, 60, 24);
  RecordingDC dc(100, 100);
  dc.screen_bits = 8;
  // The lower half of the picture (stored rows 0..29) shrunk to 50 × 15.
  StretchDrawDIB(dc, 3, 4, 50, 15, dib, 0, 0, 100, 30, true, SRCCOPY, true, nullptr);
  const RecordingDC::Call* shrunk = Find(dc, "StretchDIBits");
  ASSERT_NE(shrunk, nullptr);
  // The copy: Round(100 × 50 / 100) × Round(60 × 15 / 30), drawn unscaled.
  EXPECT_EQ(shrunk->dib_width, 50);
  EXPECT_EQ(shrunk->dib_height, 30);
  EXPECT_EQ(
      (std::vector<int32_t>{shrunk->x, shrunk->y, shrunk->width, shrunk->height, shrunk->src_x,
                            shrunk->src_y, shrunk->src_width, shrunk->src_height}),
      (std::vector<int32_t>{3, 4, 50, 15, 0, 0, 50, 15}));

  RecordingDC enlarged(300, 300);
  enlarged.screen_bits = 4;
  StretchDrawDIB(enlarged, 0, 0, 200, 120, dib, 0, 0, 100, 60, true, SRCCOPY, true, nullptr);
  const RecordingDC::Call* same = Find(enlarged, "StretchDIBits");
  ASSERT_NE(same, nullptr);
  EXPECT_EQ(same->dib_width, 100);
  EXPECT_EQ(same->dib_height, 60);
  EXPECT_EQ(same->src_width, 100);
  EXPECT_EQ(same->width, 200);
  // The halftone palette is selected around the drawing even for a picture without one.
  EXPECT_EQ(enlarged.Count("SelectPalette"), 2);
  EXPECT_EQ(enlarged.Count("RealizePalette"), 1);
}

TEST(StretchDrawDIB, SelectsThePaletteOfPalettePicturesAndRestoresThePrevious) {
  const TDIB dib = PictureOf(8, 2, 2, kQuad);
  const std::vector<TRGBQuad> other(4);
  const std::vector<TRGBQuad> before(2);
  for (const bool use_dib_palette : {true, false}) {
    SCOPED_TRACE(use_dib_palette);
    RecordingDC dc(4, 4);
    dc.selected = &before;
    StretchDrawDIB(dc, 0, 0, 4, 4, dib, 0, 0, 2, 2, true, SRCCOPY, use_dib_palette, &other);
    std::vector<std::string> palette_ops;
    std::vector<TPalette> selections;
    for (const RecordingDC::Call& call : dc.calls) {
      if (call.op == "SelectPalette" || call.op == "RealizePalette") palette_ops.push_back(call.op);
      if (call.op == "SelectPalette") selections.push_back(call.palette);
    }
    EXPECT_EQ(palette_ops,
              (std::vector<std::string>{"SelectPalette", "RealizePalette", "SelectPalette"}));
    ASSERT_EQ(selections.size(), 2u);
    EXPECT_EQ(selections[0], use_dib_palette ? &dib.Colors() : &other);
    EXPECT_EQ(selections[1], &before);
    EXPECT_EQ(dc.selected, &before);
  }
  // True-colour pictures leave the palette alone.
  RecordingDC dc(4, 4);
  DrawWhole(dc, PictureOf(24, 2, 2, kQuad), 0, 0, 4, 4);
  EXPECT_EQ(dc.Count("SelectPalette"), 0);
}

TEST(StretchDrawDIB, AFailedStretchDIBitsIsResampledIntoABitmapOfTheDestinationsSize) {
  // Columns 0, 1, 2 of three into five: (3 − 1) × i div 4 = 0, 0, 1, 1, 2.
  const std::vector<uint32_t> three = {kRed, kGreen, kBlue};
  for (const int bits : {1, 4, 8, 16, 24, 32}) {
    SCOPED_TRACE(bits);
    const std::vector<uint32_t> colours =
        bits == 1 ? std::vector<uint32_t>{kRed, kBlue, kRed} : three;
    RecordingDC dc(6, 2);
    dc.technology = TTechnology::RasPrinter;
    dc.stretch_dibits_fails = true;
    DrawWhole(dc, PictureOf(bits, 3, 1, colours), 1, 0, 5, 2);
    const RecordingDC::Call* call = Find(dc, "SetDIBitsToDevice");
    ASSERT_NE(call, nullptr);
    EXPECT_EQ(call->bit_count, bits);
    EXPECT_EQ(call->dib_width, 5);
    EXPECT_EQ(call->dib_height, 2);
    EXPECT_EQ(call->height, 2);
    const std::vector<uint32_t> row = {colours[0], colours[0], colours[1], colours[1], colours[2]};
    EXPECT_EQ(Canvas(dc, 1, 0, 5, 1), row);
    EXPECT_EQ(Canvas(dc, 1, 1, 5, 1), row);
    EXPECT_EQ(dc.Count("CreateCompatibleBitmap"), 0);
    EXPECT_TRUE(dc.messages.empty());
  }
  // A destination one pixel wide takes the first column.
  RecordingDC narrow(1, 1);
  narrow.technology = TTechnology::RasPrinter;
  narrow.stretch_dibits_fails = true;
  DrawWhole(narrow, PictureOf(24, 3, 1, three), 0, 0, 1, 1);
  EXPECT_EQ(narrow.Pixel(0, 0), kRed);
}

TEST(StretchDrawDIB, TheLastFallbackStretchesACompatibleBitmapAndReportsEachFailure) {
  const std::vector<uint32_t> picture = {kRed, kGreen, kBlue, kWhite};
  const struct {
    const char* name;
    bool dib_to_dev;
    bool set_dibits_to_device_fails;
    bool compatible_fails;
    bool set_dibits_fails;
    bool stretch_blt_fails;
    std::vector<std::string> messages;
    bool drawn;
  } cases[] = {
      {"no DIB to device", false, false, false, false, false, {}, true},
      {"SetDIBitsToDevice fails", true, true, false, false, false, {}, true},
      {"no compatible bitmap",
       false,
       false,
       true,
       false,
       false,
       {"Konnte Bitmap nicht erzeugen!"},
       false},
      {"SetDIBits fails",
       false,
       false,
       false,
       true,
       false,
       {"Das Gerät unterstützt die Funtkion setdibits nicht!"},
       false},
      {"StretchBlt fails",
       false,
       false,
       false,
       false,
       true,
       {"Das Gerät unterstützt die Funktion StretchBlt nicht!"},
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingDC dc(4, 4);
    dc.technology = TTechnology::RasPrinter;
    dc.stretch_dibits_fails = true;
    dc.raster_caps = c.dib_to_dev ? RC_DIBTODEV : RC_STRETCHBLT;
    dc.set_dibits_to_device_fails = c.set_dibits_to_device_fails;
    dc.compatible_bitmap_fails = c.compatible_fails;
    dc.set_dibits_fails = c.set_dibits_fails;
    dc.stretch_blt_fails = c.stretch_blt_fails;
    DrawWhole(dc, PictureOf(32, 2, 2, picture), 0, 0, 4, 4);
    EXPECT_EQ(dc.messages, c.messages);
    const RecordingDC::Call* created = Find(dc, "CreateCompatibleBitmap");
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->width, 2);  // the whole bitmap
    EXPECT_EQ(created->height, 2);
    if (c.drawn) {
      const RecordingDC::Call* blt = Find(dc, "StretchBlt");
      ASSERT_NE(blt, nullptr);
      EXPECT_EQ(blt->rop, SRCCOPY);
      EXPECT_EQ(Canvas(dc, 0, 0, 4, 4), kQuadEnlarged);
    }
    EXPECT_EQ(Find(dc, "StretchBlt") != nullptr, !c.compatible_fails);
  }
}

}  // namespace
}  // namespace paginor
