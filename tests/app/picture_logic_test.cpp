#include "app/picture_logic.h"

#include <gtest/gtest.h>

#include "app/thumbnail_cache.h"

namespace paginor {
namespace {

TEST(PagePreview, PointsToPixelsAreCutTowardZero) {
  const struct {
    double points;
    int zoom;
    int dpi;
    int pixels;
  } cases[] = {
      {595, 100, 96, 793},    // A4 width: Trunc(793.33)
      {842, 100, 96, 1122},   // A4 height: Trunc(1122.67)
      {595, 10, 96, 79},      // Trunc(79.33)
      {842, 50, 96, 561},     // Trunc(561.33)
      {612, 100, 120, 1020},  // another screen resolution
      {-3, 100, 96, -4},      // toward zero: Trunc(-4)
      {-1, 100, 96, -1},      // Trunc(-1.33)
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PreviewPixels(c.points, c.zoom, c.dpi), c.pixels)
        << c.points << " pt at " << c.zoom << " %";
  }
  // The characters' x: (offset + x) first, then the resolution.
  EXPECT_EQ(PreviewCharX(6.5, 72, 100, 96), 104);  // Trunc(104.67)
  EXPECT_EQ(PreviewCharX(0, 72, 50, 96), 48);
}

TEST(PagePreview, CharacterHeightIsAtLeastOnePixel) {
  EXPECT_EQ(PreviewFontPixels(12, 10, 96), 1);  // Trunc(1.6)
  EXPECT_EQ(PreviewFontPixels(5, 10, 96), 1);   // Trunc(0.67) -> 1
  EXPECT_EQ(PreviewFontPixels(12, 100, 96), 16);
  EXPECT_EQ(PreviewFontPixels(9, 300, 96), 36);
}

TEST(PagePreview, PageSizeOfTheDocumentOrOfThePrinter) {
  TPageSize* bound = nullptr;
  TDynaArray<TPageSize> sizes(&bound);
  for (const TPageSize size : {TPageSize{595, 842}, TPageSize{842, 595}, TPageSize{612, 792}}) {
    *sizes.Append() = size;
  }
  const TPrinterPage a4{9917, 14033, 1200};
  const struct {
    const char* name;
    int page;
    int zoom;
    TPixelSize size;
  } cases[] = {
      {"page 1, A4", 1, 100, {793, 1122}},
      {"page 2, landscape", 2, 100, {1122, 793}},
      {"page 3 at 50 %", 3, 50, {408, 528}},
      {"page 5 of 3: the printer's page", 5, 100, {793, 1122}},  // Trunc(793.36), Trunc(1122.64)
      {"page 0: the printer's page", 0, 200, {1586, 2245}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PreviewPageSize(sizes, c.page, c.zoom, 96, a4), c.size) << c.name;
  }
  TDynaArray<TPageSize> none;
  EXPECT_EQ(PreviewPageSize(none, 1, 100, 96, {4760, 6814, 600}), (TPixelSize{761, 1090}));
}

TEST(PagePreview, RunsOfThePageCharacterByCharacterAtTheirAdvances) {
  TTextItem* bound = nullptr;
  TDynaArray<TTextItem> items(&bound);
  *items.Append() = {.Text = U"Ab",
                     .Spacing = {1, 0},
                     .CharWidths = {6, 5},
                     .Size = 12,
                     .X = 72,
                     .Y = 700,
                     .Page = 1};
  *items.Append() = {.Text = U"zwei", .CharWidths = {1, 1, 1, 1}, .Size = 9, .Page = 2};
  // An image run: its tag text whole.
  *items.Append() = {.Text = U"<Bild 1>", .Size = 10, .X = 36, .Y = 400, .Page = 1};
  const int height = 1122;
  const std::vector<TPreviewText> texts = PreviewTexts(items, 1, 100, 96, height);
  const std::vector<TPreviewText> expected = {
      {96, height - 933, 16, U"A"},   // Trunc(96 × 72 / 72), 700 pt = 933.33 px
      {105, height - 933, 16, U"b"},  // offset 6 + 1 = 7: Trunc(79 × 96 / 72) = 105
      {48, height - 533, 13, U"<Bild 1>"},
  };
  EXPECT_EQ(texts, expected);
  EXPECT_EQ(PreviewTexts(items, 2, 100, 96, height).size(), 4u);
  EXPECT_TRUE(PreviewTexts(items, 3, 100, 96, height).empty());
}

TEST(Gallery, ColumnsAndHeightFromTheWidth) {
  const struct {
    int width;
    int columns;
  } cases[] = {{0, 1}, {89, 1}, {90, 1}, {179, 1}, {180, 2}, {500, 5}};
  for (const auto& c : cases)
    EXPECT_EQ(GalleryColumns(c.width), c.columns) << c.width;
  EXPECT_EQ(GalleryHeight(0, 3), 110);  // no images: one empty row
  EXPECT_EQ(GalleryHeight(2, 3), 110);
  EXPECT_EQ(GalleryHeight(3, 3), 220);  // a multiple of the columns: one empty row more
  EXPECT_EQ(GalleryHeight(7, 3), 330);
  EXPECT_EQ(CellOrigin(0, 2), (TPoint{0, 0}));
  EXPECT_EQ(CellOrigin(1, 2), (TPoint{90, 0}));
  EXPECT_EQ(CellOrigin(5, 2), (TPoint{90, 220}));
}

TEST(Gallery, ThumbnailsKeepTheProportionsInTheirBox) {
  const TPoint cell{90, 110};
  const struct {
    const char* name;
    int width;
    int height;
    TBox thumbnail;
  } cases[] = {
      {"twice as wide", 200, 100, {95, 135, 80, 40}},   // at (x + 5, y + 25)
      {"twice as high", 100, 200, {115, 115, 40, 80}},  // at (x + 25, y + 5)
      {"square", 7, 7, {95, 115, 80, 80}},
      {"a line", 1000, 3, {95, 155, 80, 0}},  // 3 × 80 div 1000 = 0
      {"no bitmap", 0, 0, {135, 155, 0, 0}},
      {"truncating", 3, 2, {95, 128, 80, 53}},  // 2 × 80 div 3 = 53, (80 − 53) div 2 = 13
  };
  for (const auto& c : cases)
    EXPECT_EQ(ThumbnailPlace(cell, c.width, c.height), c.thumbnail) << c.name;

  const std::array<TRect, 4> around = ThumbnailBackground(cell, {95, 135, 80, 40});
  EXPECT_EQ(around[0], (TRect{93, 113, 95, 217}));    // left
  EXPECT_EQ(around[1], (TRect{93, 113, 177, 135}));   // top
  EXPECT_EQ(around[2], (TRect{93, 175, 177, 217}));   // bottom
  EXPECT_EQ(around[3], (TRect{175, 113, 177, 217}));  // right
}

TEST(Gallery, ClicksHitFramesIncludingTheirLastPixel) {
  const struct {
    const char* name;
    int x;
    int y;
    int hit;
  } cases[] = {
      {"first frame's corner", 2, 2, 0},
      {"x + 88", 88, 50, 0},
      {"y + 108", 50, 108, 0},
      {"x + 89: the gap", 89, 50, -1},
      {"y + 109: the gap", 50, 109, -1},
      {"x + 1: the gap", 1, 50, -1},
      {"second column", 92, 2, 1},
      {"second row", 2, 112, 2},
      {"beyond the images", 92, 112, -1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(GalleryHit(c.x, c.y, 3, 2), c.hit) << c.name;
}

TEST(Gallery, VisibleCellsAndScrollingTheSelectionIntoView) {
  // A visible area of 200 pixels, scrolled to 300.
  EXPECT_FALSE(CellVisible(0, 300, 200));   // 0 + 110 < 300
  EXPECT_TRUE(CellVisible(190, 300, 200));  // 190 + 110 = 300
  EXPECT_TRUE(CellVisible(500, 300, 200));
  EXPECT_FALSE(CellVisible(501, 300, 200));

  const struct {
    const char* name;
    int cell_y;
    int scroll;
    int position;
  } cases[] = {
      {"half hidden below: its bottom at the lower edge", 440, 300, 348},  // 440 + 108 − 200
      {"half hidden above: its top the first visible row", 220, 300, 222},
      {"wholly visible: unchanged", 330, 300, 300},
      {"exactly fitting", 390, 300, 300},  // 390 + 108 = 498 ≤ 500
  };
  for (const auto& c : cases)
    EXPECT_EQ(ScrollToShow(c.cell_y, c.scroll, 200), c.position) << c.name;
}

TEST(Viewer, ZoomedSizeIsCut) {
  EXPECT_EQ(ViewerPictureSize(100, 100, 5), (TPixelSize{5, 5}));
  EXPECT_EQ(ViewerPictureSize(100, 100, 9000), (TPixelSize{9000, 9000}));
  EXPECT_EQ(ViewerPictureSize(3, 3, 150), (TPixelSize{4, 4}));  // Trunc(4.5)
  EXPECT_EQ(ViewerPictureSize(7, 9, 33), (TPixelSize{2, 2}));   // Trunc(2.31), Trunc(2.97)
}

TEST(Viewer, PanningStaysWithinTheScrollRange) {
  const struct {
    const char* name;
    int position;
    int grab;
    int pointer;
    int maximum;
    int result;
  } cases[] = {
      {"picture moved left", 100, 50, 20, 500, 130},
      {"picture moved right", 100, 50, 80, 500, 70},
      {"beyond the far edge", 480, 50, 0, 500, 500},
      {"past the top", 10, 50, 200, 500, 0},
      {"no range", 0, 50, 0, 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PanPosition(c.position, c.grab, c.pointer, c.maximum), c.result) << c.name;
  }
}

TEST(Viewer, SaveTypesAndTheirDefaultExtensions) {
  const std::vector<std::string> entries = FilterEntries(GetDIBSaveFilter());
  ASSERT_EQ(entries.size(), 12u);
  EXPECT_EQ(entries[2], "CompuServe GIF (*.gif)");
  EXPECT_EQ(FilterEntries("Bilder|*.bmp|Alles (*)|*"),
            (std::vector<std::string>{"Bilder (*.bmp)", "Alles (*)"}));
  const char* extensions[] = {".bmp", ".dib", ".gif", ".iff", ".jif", ".jpg",
                              ".lbm", ".pcx", ".rle", ".tga", ".tif", ".png"};
  for (int i = 1; i <= 12; ++i) {
    EXPECT_EQ(SaveExtension(i), extensions[i - 1]);
    // Each type's pattern names its default extension.
    EXPECT_NE(entries[static_cast<std::size_t>(i - 1)].find(std::string("*") + extensions[i - 1]),
              std::string::npos);
  }
  EXPECT_EQ(SaveExtension(0), "");
  EXPECT_EQ(SaveExtension(13), "");

  const struct {
    std::string typed;
    int type;
    std::string saved;
  } names[] = {
      {"/tmp/bild", 3, "/tmp/bild.gif"},
      {"/tmp/bild.png", 3, "/tmp/bild.png"},  // any extension stays, even another type's
      {"/tmp/bild.JPG", 1, "/tmp/bild.JPG"},
      {"/tmp/ordner.neu/bild", 11, "/tmp/ordner.neu/bild.tif"},
  };
  for (const auto& n : names)
    EXPECT_EQ(NameWithDefaultExtension(n.typed, n.type), n.saved) << n.typed;
}

TEST(Printing, SizeAndPlaceOnThePage) {
  const struct {
    const char* name;
    int page_width;
    int page_height;
    int width;
    int height;
    TPrintChoice choice;
    TBox place;
  } cases[] = {
      {"whole page, proportions, centred", 4760, 6814, 2000, 1000, {}, {0, 2217, 4760, 2380}},
      {"whole page, tall picture", 4760, 6814, 1000, 2000, {}, {676, 0, 3407, 6814}},
      {"whole page, any proportions",
       4760,
       6814,
       2000,
       1000,
       {.KeepRatio = false},
       {0, 0, 4760, 6814}},
      {"whole page, not centred", 4760, 6814, 2000, 1000, {.Centred = false}, {0, 0, 4760, 2380}},
      {"user defined 50 % × 17 %",
       4760,
       6814,
       2000,
       1000,
       {.FullPage = false, .Hoch = 17},
       {1190, 2828, 2380, 1158}},
      {"user defined 100 % × 100 % from the corner",
       4760,
       6814,
       2000,
       1000,
       {.FullPage = false, .Centred = false, .Breit = 100, .Hoch = 100},
       {0, 0, 4760, 6814}},
      // 5 × 50 / 100 = 2.5 rounds to the even 2, 7 × 50 / 100 = 3.5 to 4.
      {"halves to even", 5, 7, 1, 1, {.FullPage = false}, {1, 1, 2, 4}},
      {"preview of the portrait page", 132, 190, 2000, 1000, {}, {0, 62, 132, 66}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PrintPlacement(c.page_width, c.page_height, c.width, c.height, c.choice), c.place)
        << c.name;
  }
}

TEST(Printing, ThePreviewPageInItsBox) {
  EXPECT_EQ(PrintPreviewPage(190, 190, 4760, 6814), (TBox{29, 0, 132, 190}));
  EXPECT_EQ(PrintPreviewPage(190, 190, 6814, 4760), (TBox{0, 29, 190, 132}));
  EXPECT_EQ(PrintPreviewPage(190, 190, 1000, 1000), (TBox{0, 0, 190, 190}));
}

TEST(Printing, PercentagesKeepTheProportions) {
  // Trunc(1000 × 50 / 2000 × 4760 / 6814) = Trunc(17.46).
  EXPECT_EQ(HochFromBreit(2000, 1000, 50, 4760, 6814), 17);
  // Trunc(2000 × 17 / 1000 × 6814 / 4760) = Trunc(48.67).
  EXPECT_EQ(BreitFromHoch(2000, 1000, 17, 4760, 6814), 48);
  EXPECT_EQ(HochFromBreit(1000, 2000, 80, 4760, 6814), 111);  // limited by the edit, not here
  EXPECT_EQ(ClampPercent(111), 100);
  EXPECT_EQ(ClampPercent(0), 1);
  EXPECT_EQ(ClampPercent(-5), 1);
  EXPECT_EQ(ClampPercent(64), 64);
}

TEST(ThumbnailCache, KeepsEachThumbnailAndOnlyTheMostRecent) {
  TThumbnailCache cache(2);
  const auto shade = [](int grey) {
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(QColor(grey, grey, grey));
    return image;
  };
  const QSize size(4, 4);
  EXPECT_FALSE(cache.Find(0, size, 1).has_value());
  cache.Put(0, size, 1, shade(10));
  ASSERT_TRUE(cache.Find(0, size, 1).has_value());
  EXPECT_EQ(cache.Find(0, size, 1)->pixel(0, 0), qRgb(10, 10, 10));  // cached
  // Another size or device ratio is another thumbnail.
  EXPECT_FALSE(cache.Find(0, QSize(3, 3), 1).has_value());
  EXPECT_FALSE(cache.Find(0, size, 2).has_value());
  cache.Put(0, QSize(3, 3), 1, shade(20));
  cache.Put(0, size, 2, shade(30));
  EXPECT_EQ(cache.Count(), 2u);  // bounded: the least recently used went
  EXPECT_FALSE(cache.Find(0, size, 1).has_value());
  // Looking one up makes it the most recently used.
  EXPECT_TRUE(cache.Find(0, QSize(3, 3), 1).has_value());
  cache.Put(0, size, 1, shade(40));
  EXPECT_TRUE(cache.Find(0, QSize(3, 3), 1).has_value());
  EXPECT_FALSE(cache.Find(0, size, 2).has_value());
  // The same thumbnail put again replaces the one kept.
  cache.Put(0, size, 1, shade(45));
  EXPECT_EQ(cache.Count(), 2u);
  EXPECT_EQ(cache.Find(0, size, 1)->pixel(0, 0), qRgb(45, 45, 45));
  // A picture that does not decode is remembered as such, not decoded at every paint.
  cache.Put(7, size, 1, QImage());
  ASSERT_TRUE(cache.Find(7, size, 1).has_value());
  EXPECT_TRUE(cache.Find(7, size, 1)->isNull());
  cache.Clear();
  EXPECT_EQ(cache.Count(), 0u);
  EXPECT_FALSE(cache.Find(7, size, 1).has_value());
}

}  // namespace
}  // namespace paginor
