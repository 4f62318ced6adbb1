#include "text/interpreter.h"
#include "output/utf8.h"

#include <gtest/gtest.h>

#include "support/fake_font.h"

namespace paginor {
namespace {

// One page's interpretation with fonts and images set up by the test.
struct Page {
  TFontRec* current = nullptr;
  TDynaArray<TFontRec> fonts{&current};
  TPageFonts page_fonts;
  TDynaArray<TImageRec> images;
  TPageImages page_images;
  std::unique_ptr<TMeasureFont> font = testing::MakeFakeFont();
  TDynaArray<TTextItem> runs;

  Page() { AddFont("/F1", PDFDocEncoding); }

  TFontRec& AddFont(const std::string& name, TEncodingId encoding) {
    TFontRec* f = fonts.Append();
    f->Name = name;
    f->Encoding = encoding;
    page_fonts.index_by_page.resize(1);
    page_fonts.index_by_page[0][name] = fonts.Count() - 1;
    return *f;
  }

  void Interpret(const std::string& content, bool html_links = true) {
    TInterpreterContext context;
    context.page_number = 1;
    context.fonts = &fonts;
    context.page_fonts = &page_fonts;
    context.images = &images;
    context.page_images = &page_images;
    context.html_links = html_links;
    context.font = font.get();
    InterpretPage(content, context, runs);
  }
};

TEST(Interpreter, ShowsARunAtTheTextPosition) {
  Page page;
  page.Interpret("BT /F1 12 Tf 72 700 Td (Hello) Tj ET");
  ASSERT_EQ(page.runs.Count(), 1);
  const TTextItem& run = page.runs[0];
  EXPECT_EQ(run.Text, U"Hello");
  EXPECT_EQ(run.X, 72);
  EXPECT_EQ(run.Size, 12);
  EXPECT_EQ(run.LineHeight, 14);  // the fake font's line at 12 pixels
  EXPECT_EQ(run.Y, 714);
  EXPECT_EQ(run.Page, 1);
  EXPECT_EQ(run.CharWidths, std::vector<double>(5, 6.0));  // measured: no /Widths
}

TEST(Interpreter, TjArraySpacing) {
  const struct {
    const char* content;
    std::string text;
    std::vector<double> spacing;
  } cases[] = {
      {"BT /F1 10 Tf [(Hel) -250 (lo)] TJ ET", "Hello", {0, 0, 2.5, 0, 0}},
      {"BT /F1 10 Tf 2 Tc [(Hel) -250 (lo)] TJ ET", "Hello", {2, 2, 4.5, 2, 2}},
      {"BT /F1 10 Tf [-250 (A)] TJ ET", "A", {0}},
      {"BT /F1 10 Tf 0 0 1 rg [(A)] TJ ET", "A", {0}},
      {"BT /F1 10 Tf 0 0 1 rg (A) Tj ET", "A", {0}},
      {"BT /F1 10 Tf 3 Tw (a b) Tj ET", "a b", {0, 3, 0}},
  };
  for (const auto& c : cases) {
    Page page;
    page.Interpret(c.content);
    ASSERT_EQ(page.runs.Count(), 1) << c.content;
    EXPECT_EQ(ToUtf8(page.runs[0].Text), c.text) << c.content;
    EXPECT_EQ(page.runs[0].Spacing, c.spacing) << c.content;
  }
}

TEST(Interpreter, PositionsOfFollowingRuns) {
  const struct {
    const char* content;
    double x, y;  // of the second run
  } cases[] = {
      {"BT /F1 12 Tf 72 700 Td (Hello) Tj (World) Tj ET", 102, 714},
      {"BT /F1 12 Tf 72 700 Td (Hello) Tj 0 -20 Td (World) Tj ET", 72, 694},
      {"BT /F1 12 Tf 14 TL 72 700 Td (Hello) Tj (World) ' ET", 72, 700},
      {"BT /F1 12 Tf 14 TL 72 700 Td (Hello) Tj T* (World) Tj ET", 72, 700},
      {"BT /F1 12 Tf 72 700 Td (Hello) Tj 20 TL 0 0 TD (World) Tj ET", 72, 714},
      {"q 2 0 0 2 0 0 cm Q BT /F1 12 Tf (Hello) Tj 72 700 Td (World) Tj ET", 72, 714},
      {"2 0 0 2 0 0 cm BT /F1 6 Tf (Hello) Tj 36 350 Td (World) Tj ET", 72, 714},
  };
  for (const auto& c : cases) {
    Page page;
    page.Interpret(c.content);
    ASSERT_EQ(page.runs.Count(), 2) << c.content;
    EXPECT_DOUBLE_EQ(page.runs[1].X, c.x) << c.content;
    EXPECT_DOUBLE_EQ(page.runs[1].Y, c.y) << c.content;
  }
}

TEST(Interpreter, DoubleQuoteSetsCharacterSpacingAndShowsOnce) {
  Page page;
  page.Interpret("BT /F1 12 Tf 5 Tw 1 2 (c d) \" ET");
  ASSERT_EQ(page.runs.Count(), 1);
  EXPECT_EQ(page.runs[0].Text, U"c d");
  EXPECT_EQ(page.runs[0].Spacing, (std::vector<double>{2, 7, 2}));  // Tw stays 5
}

TEST(Interpreter, TmStopsAtTheFirstOperandThatIsNoNumber) {
  Page page;
  page.Interpret("BT 2 0 0 x 5 5 Tm /F1 12 Tf (a) Tj ET");
  ASSERT_EQ(page.runs.Count(), 1);
  EXPECT_EQ(page.runs[0].X, 0);      // e and f kept
  EXPECT_EQ(page.runs[0].Size, 12);  // d kept at 1
}

TEST(Interpreter, HexStringsAsTheTokenizerSplitsThem) {
  Page spaced;
  spaced.Interpret("BT /F1 12 Tf <48 65> Tj ET");
  ASSERT_EQ(spaced.runs.Count(), 1);
  EXPECT_EQ(spaced.runs[0].Text, U"H");
  Page glued;
  glued.Interpret("BT /F1 12 Tf <48>Tj ET");
  EXPECT_EQ(glued.runs.Count(), 0);
}

TEST(Interpreter, WidthsAndEncodingOfTheSelectedFont) {
  Page page;
  TFontRec& mac = page.fonts[0];
  mac.Encoding = MacRomanEncoding;
  mac.FirstChar = 32;
  mac.Widths[65 - 32] = 500;  // "A"
  mac.WidthDefined[65 - 32] = true;
  page.AddFont("/F2", WinAnsiEncoding);
  // /Fx is not bound: the data of /F1 stay, the encoding is the last record's.
  page.Interpret("BT /F1 10 Tf (A\\212) Tj /Fx 10 Tf (A\\212) Tj ET");
  ASSERT_EQ(page.runs.Count(), 2);
  EXPECT_EQ(page.runs[0].Text, U"A\u00E4");
  EXPECT_EQ(page.runs[0].CharWidths[0], 5);  // 500 / 1000 × 10
  EXPECT_EQ(page.runs[1].Text, U"A\u0160");
  EXPECT_EQ(page.runs[1].CharWidths[0], 5);
}

TEST(Interpreter, ImagePlaceholders) {
  Page page;
  for (int bits : {8, 24, 24}) {
    TImageRec* image = page.images.Append();
    image->Bitmap = TPicture(nullptr, 1, 1, bits);  // only its depth names the link
  }
  page.page_images.ids_by_page = {{{"/Im1", 2}, {"/Im2", 0}}};
  page.page_images.number_by_id = {1, 2, 3};
  page.Interpret("q 100 0 0 50 20 30 cm /Im1 Do Q /Im2 Do /Fm0 Do");
  ASSERT_EQ(page.runs.Count(), 2);
  EXPECT_EQ(page.runs[0].Text, U"<img src=\"bild003.jpg\" border=0>");
  EXPECT_EQ(page.runs[0].X, 20);
  EXPECT_EQ(page.runs[0].Y, 80);
  EXPECT_EQ(page.runs[0].Size, 12);
  EXPECT_TRUE(page.runs[0].CharWidths.empty());
  EXPECT_EQ(page.runs[1].Text, U"<img src=\"bild001.gif\" border=0>");

  Page off;
  off.images.Append();
  off.page_images = page.page_images;
  off.Interpret("/Im1 Do", false);
  EXPECT_EQ(off.runs.Count(), 0);
}

TEST(Interpreter, TruncatedAndHostileContentEndsQuietly) {
  for (const char* content :
       {"BT /F1 12 Tf (abc", "BT /F1 1e308 Tf 1e308 1e308 Td (a) Tj", "q q q q Q Q Q Q Q Q",
        "BT [(a) -1e308 (b)] TJ", "Tf Tj TJ ' \" cm"}) {
    Page page;
    page.Interpret(content);
    for (const TTextItem& run : page.runs)
      EXPECT_EQ(run.CharWidths.size(), run.Text.size());
  }
}

}  // namespace
}  // namespace paginor
