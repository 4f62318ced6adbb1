// Bitmap drawing onto real Qt images through the QPainter device context: the pixels that
// come out for every depth, way of drawing and target.
#include "platform/qpainter_dc.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <string>
#include <vector>

#include "images/stretch_draw.h"
#include "platform/dib_image.h"
#include "support/draw_pictures.h"

namespace paginor {
namespace {

using testing::kBlack;
using testing::kBlue;
using testing::kGreen;
using testing::kRed;
using testing::kWhite;
using testing::kYellow;
using testing::PictureOf;

constexpr uint32_t kGrey = 0x808080;  // the canvas before drawing

QImage Canvas(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(QColor(0x80, 0x80, 0x80));
  return image;
}

std::vector<uint32_t> Pixels(const QImage& image, int x, int y, int w, int h) {
  std::vector<uint32_t> pixels;
  for (int j = y; j < y + h; ++j) {
    for (int i = x; i < x + w; ++i)
      pixels.push_back(image.pixel(i, j) & 0xFFFFFF);
  }
  return pixels;
}

// Each pixel of a 2 × 2 picture as a 2 × 2 block.
std::vector<uint32_t> Doubled(const std::vector<uint32_t>& quad) {
  std::vector<uint32_t> pixels;
  for (const int r : {0, 0, 1, 1}) {
    for (const int c : {0, 0, 1, 1})
      pixels.push_back(quad[static_cast<std::size_t>(r * 2 + c)]);
  }
  return pixels;
}

const std::vector<uint32_t> kQuad = {kRed, kGreen, kBlue, kWhite};
const std::vector<uint32_t> kTwoColours = {kRed, kBlue, kBlue, kRed};

struct Target {
  const char* name;
  TQPainterDC::TTarget target;
  int screen_bits;
};
const Target kTargets[] = {{"32-bit screen", TQPainterDC::TTarget::Screen, 32},
                           {"8-bit screen", TQPainterDC::TTarget::Screen, 8},
                           {"printer", TQPainterDC::TTarget::Printer, 32}};

TEST(QPainterDC, EveryDepthDrawsItsColoursEnlarged) {
  for (const Target& target : kTargets) {
    for (const int bits : {1, 4, 8, 16, 24, 32}) {
      SCOPED_TRACE(std::string(target.name) + ", " + std::to_string(bits) + " bits");
      const std::vector<uint32_t> colours = bits == 1 ? kTwoColours : kQuad;
      QImage image = Canvas(8, 8);
      {
        QPainter painter(&image);
        TQPainterDC dc(painter, target.target, {}, target.screen_bits);
        StretchDrawDIB(dc, 3, 2, 4, 4, PictureOf(bits, 2, 2, colours), 0, 0, 2, 2, true, SRCCOPY,
                       true, nullptr);
      }
      EXPECT_EQ(Pixels(image, 3, 2, 4, 4), Doubled(colours));
      EXPECT_EQ(Pixels(image, 2, 2, 1, 1), std::vector<uint32_t>{kGrey});
      EXPECT_EQ(Pixels(image, 7, 5, 1, 1), std::vector<uint32_t>{kGrey});
      EXPECT_EQ(Pixels(image, 3, 6, 1, 1), std::vector<uint32_t>{kGrey});
    }
  }
}

TEST(QPainterDC, ShrinkingOnTheScreenTakesTheSameColumnsForEveryDepth) {
  const std::vector<uint32_t> five = {kRed, kGreen, kBlue, kWhite, kYellow};
  const std::vector<uint32_t> two = {kRed, kBlue, kRed, kBlue, kRed};
  for (const int bits : {1, 4, 8, 16, 24, 32}) {
    SCOPED_TRACE(bits);
    const std::vector<uint32_t>& colours = bits == 1 ? two : five;
    QImage image = Canvas(2, 1);
    {
      QPainter painter(&image);
      TQPainterDC dc(painter, TQPainterDC::TTarget::Screen, {}, 32);
      StretchDrawDIB(dc, 0, 0, 2, 1, PictureOf(bits, 5, 1, colours), 0, 0, 5, 1, true, SRCCOPY,
                     true, nullptr);
    }
    // Columns 0 and 5 × 1 div 2 = 2.
    EXPECT_EQ(Pixels(image, 0, 0, 2, 1), (std::vector<uint32_t>{colours[0], colours[2]}));
  }
}

TEST(QPainterDC, PartsOfThePictureAndTheClip) {
  // A 4 × 2 picture: the source rectangle of its right half (stored rows 0..1).
  const std::vector<uint32_t> picture = {kRed,    kGreen, kBlue,  kWhite,  //
                                         kYellow, kBlack, kGreen, kRed};
  for (const Target& target : kTargets) {
    for (const int bits : {8, 24, 32}) {
      SCOPED_TRACE(std::string(target.name) + ", " + std::to_string(bits) + " bits");
      QImage image = Canvas(4, 4);
      {
        QPainter painter(&image);
        TQPainterDC dc(painter, target.target, {}, target.screen_bits);
        StretchDrawDIB(dc, 0, 0, 4, 4, PictureOf(bits, 4, 2, picture), 2, 0, 2, 2, false, SRCCOPY,
                       true, nullptr);
      }
      EXPECT_EQ(Pixels(image, 0, 0, 4, 4), Doubled({kBlue, kWhite, kGreen, kRed}));
    }
  }
  // Nothing outside the painter's clip.
  QImage image = Canvas(4, 4);
  {
    QPainter painter(&image);
    painter.setClipRect(1, 1, 2, 2);
    TQPainterDC dc(painter, TQPainterDC::TTarget::Screen, {}, 32);
    EXPECT_EQ(dc.ClipBox(), (TRect{1, 1, 3, 3}));
    StretchDrawDIB(dc, 0, 0, 4, 4, PictureOf(32, 2, 2, kQuad), 0, 0, 2, 2, true, SRCCOPY, true,
                   nullptr);
  }
  EXPECT_EQ(Pixels(image, 0, 0, 4, 4), (std::vector<uint32_t>{kGrey, kGrey, kGrey, kGrey,   //
                                                              kGrey, kRed, kGreen, kGrey,   //
                                                              kGrey, kBlue, kWhite, kGrey,  //
                                                              kGrey, kGrey, kGrey, kGrey}));
}

TEST(QPainterDC, AHugeZoomDrawsOnlyWhatShows) {
  TDIB picture = PictureOf(24, 2, 2, kQuad);
  QImage image = Canvas(300, 300);
  QElapsedTimer timer;
  timer.start();
  {
    QPainter painter(&image);
    painter.setClipRect(0, 0, 300, 300);
    TQPainterDC dc(painter, TQPainterDC::TTarget::Screen, {}, 32);
    // 9000 % of the picture, scrolled so that the middle shows.
    StretchDrawDIB(dc, -4350, -4350, 9000, 9000, picture, 0, 0, 2, 2, true, SRCCOPY, false,
                   nullptr);
  }
  EXPECT_LT(timer.elapsed(), 2000);
  EXPECT_EQ(Pixels(image, 149, 149, 2, 2), (std::vector<uint32_t>{kRed, kGreen, kBlue, kWhite}));
}

TEST(QPainterDC, RasterOperations) {
  const struct {
    uint32_t rop;
    uint32_t result;  // of white drawn on 0x808080
  } cases[] = {{SRCCOPY, kWhite},
               {SRCINVERT, 0x7F7F7F},
               {SRCAND, 0x808080},
               {SRCPAINT, kWhite},
               {NOTSRCCOPY, kBlack}};
  for (const auto& c : cases) {
    QImage image = Canvas(2, 2);
    {
      QPainter painter(&image);
      TQPainterDC dc(painter, TQPainterDC::TTarget::Printer, {}, 32);
      StretchDrawDIB(dc, 0, 0, 2, 2, PictureOf(32, 1, 1, {kWhite}), 0, 0, 1, 1, false, c.rop, true,
                     nullptr);
    }
    EXPECT_EQ(Pixels(image, 1, 1, 1, 1), std::vector<uint32_t>{c.result}) << std::hex << c.rop;
  }
}

TEST(QPainterDC, RowsBitmapsAndTheCompatibleBitmap) {
  const TDIB picture = PictureOf(24, 2, 3, {kRed, kGreen, kBlue, kWhite, kYellow, kBlack});
  QImage image = Canvas(4, 4);
  {
    QPainter painter(&image);
    TQPainterDC dc(painter, TQPainterDC::TTarget::Screen, {}, 32);
    // Stored row 1 alone (the middle row of the picture), at (1, 1).
    EXPECT_EQ(dc.SetDIBitsToDevice(1, 0, 2, 3, 0, 0, 1, 1, picture), 1);
    const std::unique_ptr<TCompatibleBitmap> bitmap = dc.CreateCompatibleBitmap(2, 3);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(dc.SetDIBits(*bitmap, 0, 3, picture), 3);
    // Its rows count from the top: row 2 is the picture's bottom.
    EXPECT_TRUE(dc.StretchBlt(0, 3, 4, 1, *bitmap, 0, 2, 2, 1, SRCCOPY));
    EXPECT_EQ(dc.CreateCompatibleBitmap(0, 3), nullptr);
  }
  EXPECT_EQ(Pixels(image, 0, 0, 4, 4), (std::vector<uint32_t>{kGrey, kGrey, kGrey, kGrey,   //
                                                              kGrey, kBlue, kWhite, kGrey,  //
                                                              kGrey, kGrey, kGrey, kGrey,   //
                                                              kYellow, kYellow, kBlack, kBlack}));
}

TEST(QPainterDC, TargetAndScreenDepth) {
  QImage image = Canvas(1, 1);
  QPainter painter(&image);
  TQPainterDC printer(painter, TQPainterDC::TTarget::Printer);
  EXPECT_EQ(printer.Technology(), TTechnology::RasPrinter);
  EXPECT_NE(printer.RasterCaps() & RC_DIBTODEV, 0u);
  EXPECT_GT(printer.ScreenBitsPerPixel(), 8);  // the offscreen screen is true colour
  TQPainterDC screen(painter, TQPainterDC::TTarget::Screen, {}, 8);
  EXPECT_EQ(screen.Technology(), TTechnology::RasDisplay);
  EXPECT_EQ(screen.ScreenBitsPerPixel(), 8);
  const std::vector<TRGBQuad> palette(2);
  EXPECT_EQ(screen.SelectPalette(&palette), nullptr);
  EXPECT_EQ(screen.SelectPalette(nullptr), &palette);
  EXPECT_EQ(screen.ClipBox(), (TRect{0, 0, 1, 1}));
  std::vector<std::string> shown;
  TQPainterDC reporting(painter, TQPainterDC::TTarget::Screen,
                        [&shown](const std::string& text) { shown.push_back(text); });
  reporting.ShowMessage("Konnte Bitmap nicht erzeugen!");
  EXPECT_EQ(shown, std::vector<std::string>{"Konnte Bitmap nicht erzeugen!"});
}

TEST(DibImage, UprightImagesOfEveryDepth) {
  for (const int bits : {1, 4, 8, 16, 24, 32}) {
    SCOPED_TRACE(bits);
    const std::vector<uint32_t> colours =
        bits == 1 ? std::vector<uint32_t>{kRed, kBlue, kBlue, kBlue, kRed, kRed}
                  : std::vector<uint32_t>{kRed, kGreen, kBlue, kWhite, kYellow, kBlack};
    const QImage image = DibToImage(PictureOf(bits, 3, 2, colours));
    ASSERT_EQ(image.size(), QSize(3, 2));
    EXPECT_EQ(Pixels(image, 0, 0, 3, 2), colours);
  }
  // Outside the bitmap: black.
  const QImage beyond = DibToImage(PictureOf(24, 1, 1, {kWhite}), -1, 0, 2, 2);
  EXPECT_EQ(Pixels(beyond, 0, 0, 2, 2), (std::vector<uint32_t>{kBlack, kBlack, kBlack, kWhite}));
  EXPECT_TRUE(DibToImage(TDIB()).isNull());
}

}  // namespace
}  // namespace paginor
