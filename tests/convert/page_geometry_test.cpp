// Text placed as a reader of the page sees it: the whole text matrix and CTM, horizontal
// scaling and rise, the page's /Rotate and crop box, overprinted text and table rows in one TJ.
#include <gtest/gtest.h>
#include "output/utf8.h"

#include <algorithm>
#include <sstream>

#include "convert/conversion.h"
#include "output/text_writer.h"
#include "support/fake_font.h"
#include "support/pdf_builder.h"
#include "support/recording_host.h"

namespace paginor {
namespace {

using testing::PdfBuilder;
using testing::RecordingHost;

// A font whose every character advances half an em, so that positions follow by hand.
std::string HalfEmFont() {
  std::string widths;
  for (int c = 32; c <= 126; ++c)
    widths += " 500";
  return "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /FirstChar 32 /LastChar 126 "
         "/Widths [" +
         widths + "] >>";
}

struct Page {
  std::string content;
  std::string page_entries;   // further entries of the page dictionary
  std::string pages_entries;  // further entries of the page tree's root
};

struct Result {
  TDocumentState state;
  std::string text;

  // The lines that hold text, without their indentation and trailing blanks.
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
      const auto first = line.find_first_not_of(' ');
      if (first == std::string::npos) continue;
      lines.push_back(line.substr(first, line.find_last_not_of(' ') - first + 1));
    }
    return lines;
  }
};

// A measuring font twice as wide as the fake font: every character as wide as it is high.
class WideMetrics final : public TFontMetricsSource {
 public:
  std::array<int, 256> Advances(int pixel_height) override {
    std::array<int, 256> advances;
    advances.fill(pixel_height);
    return advances;
  }
  int LineHeight(int pixel_height) override { return pixel_height + 2; }
  int ScreenDpi() override { return 96; }
};

Result ConvertPage(const Page& page, bool modern = true, bool wide_measuring_font = false) {
  PdfBuilder pdf;
  pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
  pdf.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 " + page.pages_entries + " >>");
  pdf.Set(3,
          "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 4 0 "
          "R /F2 6 0 R >> >> /Contents 5 0 R " +
              page.page_entries + " >>");
  pdf.Set(4, HalfEmFont());
  pdf.Set(5, "<< /Length " + std::to_string(page.content.size()) + " >>\nstream\n" + page.content +
                 "\nendstream");
  pdf.root = 1;
  RecordingHost host;
  host.options.ModernCheck = modern;
  host.options.VertLayCheck = false;
  Result result;
  result.state.MeasureFont = wide_measuring_font
                                 ? std::make_unique<TMeasureFont>(std::make_unique<WideMetrics>())
                                 : testing::MakeFakeFont(96);
  ConvertBuffer(result.state, host, pdf.Build());
  result.text = DocumentToPlainText(result.state.Memo1);
  return result;
}

TEST(PageGeometry, WordGapsFollowHorizontalScalingAndRiseKeepsTheLine) {
  const struct {
    const char* name;
    std::string content;
    std::vector<std::string> lines;
  } cases[] = {
      // A 1 em TJ gap at 10 points is 10 points, two blanks of the measuring font (4.5 points
      // each); Tz 50 halves it, Tz 5 makes it no word gap.
      {"Tz 100", "BT /F1 10 Tf 72 700 Td [(ab) -1000 (cd)] TJ ET", {"ab  cd"}},
      {"Tz 50", "BT /F1 10 Tf 50 Tz 72 700 Td [(ab) -1000 (cd)] TJ ET", {"ab cd"}},
      {"Tz 5", "BT /F1 10 Tf 5 Tz 72 700 Td [(ab) -1000 (cd)] TJ ET", {"abcd"}},
      // Tz also scales the advance: at Tz 50 the second word starts half as far on.
      {"Tz and a following Tj", "BT /F1 10 Tf 50 Tz 72 700 Td (abcd) Tj (ef) Tj ET", {"abcdef"}},
      {"superscript by rise",
       "BT /F1 10 Tf 72 700 Td (E=mc) Tj 4 Ts (2) Tj 0 Ts (!) Tj ET",
       {"E=mc2!"}},
      {"subscript by rise", "BT /F1 10 Tf 72 700 Td (H) Tj -3 Ts (2) Tj 0 Ts (O) Tj ET", {"H2O"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ConvertPage({c.content}).Lines(), c.lines) << c.name;
  }
}

TEST(PageGeometry, WordsDoNotDependOnTheMeasuringFont) {
  // Table cells in Helvetica without /Widths: "text36" is 27.2 points wide, so the next cell
  // starts 3.8 points after it; "Wort" ends 0.4 points before "teil". The fake font measures
  // "Wort" narrower than the page, the wide one "text36" wider.
  const Page page{
      "BT /F2 10 Tf 160.4 505.5 Td (text36) Tj ET BT /F2 10 Tf 191.4 505.5 Td (text37) Tj ET "
      "BT /F2 10 Tf 72 480 Td (Wort) Tj ET BT /F2 10 Tf 93.5 480 Td (teil) Tj ET"};
  for (const bool wide : {false, true}) {
    EXPECT_EQ(ConvertPage(page, true, wide).Lines(),
              (std::vector<std::string>{"text36 text37", "Wortteil"}))
        << wide;
  }
}

TEST(PageGeometry, RotatedPagesReadAsShown) {
  // Each content writes two lines so that they read upright once the page is turned.
  const struct {
    const char* name;
    Page page;
    double width, height;
  } cases[] = {
      {"Rotate 90",
       {"BT /F1 10 Tf 0 1 -1 0 100 72 Tm (Erste Zeile) Tj 0 1 -1 0 120 72 Tm (Zweite Zeile) Tj "
        "ET",
        "/Rotate 90"},
       792,
       612},
      {"Rotate 180",
       {"BT /F1 10 Tf -1 0 0 -1 500 100 Tm (Erste Zeile) Tj -1 0 0 -1 500 120 Tm (Zweite Zeile) "
        "Tj ET",
        "/Rotate 180"},
       612,
       792},
      {"Rotate 270 from the page tree",
       {"BT /F1 10 Tf 0 -1 1 0 500 700 Tm (Erste Zeile) Tj 0 -1 1 0 480 700 Tm (Zweite Zeile) Tj "
        "ET",
        "", "/Rotate -90"},
       792,
       612},
  };
  for (const auto& c : cases) {
    const Result result = ConvertPage(c.page);
    EXPECT_EQ(result.Lines(), (std::vector<std::string>{"Erste Zeile", "Zweite Zeile"})) << c.name;
    ASSERT_EQ(result.state.PageSizes.Count(), 1) << c.name;
    EXPECT_EQ(result.state.PageSizes[0].Width, c.width) << c.name;
    EXPECT_EQ(result.state.PageSizes[0].Height, c.height) << c.name;
  }
  // The classic reader knows no /Rotate: the page keeps its size.
  const Result strict = ConvertPage(cases[0].page, false);
  EXPECT_EQ(strict.state.PageSizes[0].Width, 612);
}

TEST(PageGeometry, TextAgainstTheReadingDirectionBecomesItsOwnLine) {
  // A label going up the page, one glyph at a time, beside two ordinary lines.
  std::string label;
  const std::string word = "Etikett";
  for (std::size_t i = 0; i < word.size(); ++i) {
    label += "0 1 -1 0 400 " + std::to_string(500 + 5 * i) + " Tm (" + word.substr(i, 1) + ") Tj ";
  }
  const Result result = ConvertPage(
      {"BT /F1 10 Tf 72 700 Td (Zeile eins) Tj 0 -20 Td (Zeile zwei) Tj ET BT /F1 10 Tf " + label +
       "ET BT /F1 10 Tf 72 400 Td (Zeile drei) Tj ET"});
  EXPECT_EQ(result.Lines(),
            (std::vector<std::string>{"Zeile eins", "Zeile zwei", "Etikett", "Zeile drei"}));
}

TEST(PageGeometry, TextOutsideTheCropBoxIsLeftOut) {
  const Page page{
      "BT /F1 10 Tf 150 450 Td (Innen) Tj ET BT /F1 10 Tf 50 50 Td (Unten) Tj ET "
      "BT /F1 10 Tf 450 300 Td (Rechts) Tj ET BT /F1 10 Tf 70 300 Td (Halb) Tj ET",
      "/CropBox [100 100 400 500]"};
  const Result result = ConvertPage(page);
  // "Halb" ends at 90, inside the media box but left of the crop box.
  EXPECT_EQ(result.Lines(), std::vector<std::string>{"Innen"});
  EXPECT_EQ(result.state.PageSizes[0].Width, 300);
  ASSERT_EQ(result.state.TextItems.Count(), 1);
  EXPECT_EQ(result.state.TextItems[0].X, 50);              // from the box's left edge
  EXPECT_EQ(ConvertPage(page, false).Lines().size(), 3u);  // the classic reader keeps all four
}

TEST(PageGeometry, OverprintedTextIsShownOnce) {
  const Result result =
      ConvertPage({"BT /F1 10 Tf 72 700 Td (Fett) Tj ET BT /F1 10 Tf 72.4 700 Td (Fett) Tj ET "
                   "BT /F1 10 Tf 73 699 Td (Fett) Tj ET BT /F1 10 Tf 72 600 Td (Fett) Tj ET"});
  EXPECT_EQ(result.Lines(), (std::vector<std::string>{"Fett", "Fett"}));
  // Narrow letters placed one by one are no overprint: the second l of "Mozilla" stays. (The
  // scaling makes every letter 2 points wide.)
  const Result letters =
      ConvertPage({"40 Tz BT /F1 10 Tf 72 700 Td (Mozi) Tj ET BT /F1 10 Tf 80 700 Td (l) Tj ET "
                   "BT /F1 10 Tf 82 700 Td (l) Tj ET BT /F1 10 Tf 84 700 Td (a) Tj ET"});
  EXPECT_EQ(letters.Lines(), (std::vector<std::string>{"Mozilla"}));
}

TEST(PageGeometry, ALineCrossingThePageEdgeKeepsWhatStartsOnThePage) {
  // Letters 5 points wide on a page 612 wide: H e l v e start at 590 to 610, the rest beyond;
  // on the left, a and b end before 0.
  const Result result =
      ConvertPage({"BT /F1 10 Tf 590 700 Td (Helvetica) Tj ET "
                   "BT /F1 10 Tf -12 680 Td (abcdef) Tj ET"});
  EXPECT_EQ(result.Lines(), (std::vector<std::string>{"Helve", "cdef"}));
}

TEST(PageGeometry, ATableRowInOneTJIsSplitAtItsJumps) {
  // Two rows of a table: the first written as one TJ with a jump of 8 em, the second placed
  // cell by cell. The cells of one column start at the same X.
  const Result result =
      ConvertPage({"BT /F1 10 Tf 72 700 Td [(Name) -8000 (Wert) -300 (x)] TJ ET "
                   "BT /F1 10 Tf 72 680 Td (Langer Name) Tj 100 0 Td (Zahl) Tj ET"});
  std::vector<std::pair<std::string, double>> runs;
  for (const TTextItem& run : result.state.TextItems)
    runs.emplace_back(ToUtf8(run.Text), run.X);
  // Name ends at 92; the jump of 80 points puts the cell at 172, like the second row's. The
  // small gap stays inside its run as a word gap.
  EXPECT_EQ(runs, (std::vector<std::pair<std::string, double>>{
                      {"Name", 72}, {"Wertx", 172}, {"Langer Name", 72}, {"Zahl", 172}}));
  const std::vector<std::string> lines = result.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].find("Wert x"), lines[1].find("Zahl"));
}

TEST(PageGeometry, PlainTextOfTheModernReaderLeavesOutImageLinks) {
  Page page{"q 100 0 0 50 72 600 cm /Im1 Do Q BT /F1 10 Tf 72 700 Td (Bild) Tj ET"};
  page.page_entries = "/Resources << /Font << /F1 4 0 R >> /XObject << /Im1 6 0 R >> >>";
  const auto convert = [&](bool modern) {
    PdfBuilder builder;
    builder.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    builder.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    builder.Set(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 5 0 R " +
                       page.page_entries + " >>");
    builder.Set(4, HalfEmFont());
    builder.Set(5, "<< /Length " + std::to_string(page.content.size()) + " >>\nstream\n" +
                       page.content + "\nendstream");
    const std::string pixel = PdfBuilder::Deflate("\x80");
    builder.Set(6,
                "<< /Type /XObject /Subtype /Image /Width 1 /Height 1 /ColorSpace /DeviceGray "
                "/BitsPerComponent 8 /Filter /FlateDecode /Length " +
                    std::to_string(pixel.size()) + " >>\nstream\n" + pixel + "\nendstream");
    builder.root = 1;
    RecordingHost host;
    host.options.ModernCheck = modern;
    TDocumentState state;
    state.MeasureFont = testing::MakeFakeFont(96);
    ConvertBuffer(state, host, builder.Build());
    EXPECT_NE(state.Memo1.Text().find("<img src=\"bild001"), std::string::npos) << modern;
    return DocumentToPlainText(state.Memo1);
  };
  EXPECT_EQ(convert(true).find("<img"), std::string::npos);
  EXPECT_NE(convert(false).find("<img src=\"bild001"), std::string::npos);
}

}  // namespace
}  // namespace paginor
