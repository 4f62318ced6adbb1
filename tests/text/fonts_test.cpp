#include "text/fonts.h"
#include "text/standard_widths.h"

#include <gtest/gtest.h>

#include "support/pdf_builder.h"
#include "support/read_structure.h"

namespace paginor {
namespace {

using testing::PdfBuilder;
using testing::ReadStructure;

struct FontsRead {
  std::unique_ptr<TDocReader> reader;
  TFontRec* current = nullptr;
  TDynaArray<TFontRec> fonts{&current};
  TPageFonts pages;
  std::vector<std::string> status;
};

// One page per font dictionary given; extra objects are set with their numbers.
std::unique_ptr<FontsRead> Read(const std::vector<std::string>& font_dicts,
                                const std::map<int, std::string>& objects = {}) {
  PdfBuilder pdf;
  for (const auto& [num, body] : objects)
    pdf.Set(num, body);
  pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
  std::string kids;
  int num = 3;
  for (const std::string& dict : font_dicts) {
    pdf.Set(num, "<< /Type /Page /Resources << /Font << " + dict + " >> >> >>");
    kids += std::to_string(num++) + " 0 R ";
  }
  pdf.Set(2, "<< /Type /Pages /Kids [" + kids + "] >>");
  pdf.root = 1;
  auto read = std::make_unique<FontsRead>();
  read->reader = ReadStructure(pdf.Build());
  read->pages = ReadFonts(*read->reader, read->fonts,
                          [&read](const std::string& line) { read->status.push_back(line); });
  return read;
}

TEST(Fonts, DictionaryFacts) {
  auto r = Read({"/F1 20 0 R /F2 21 0 R /F3 22 0 R"},
                {{20, "<< /Type /Font /Subtype /Type1 /FirstChar 32 /Widths [250 333 500.5] >>"},
                 {21,
                  "<< /Type /Font /Subtype /Type3 /FontBBox [0 -200 1000 800] "
                  "/Encoding /WinAnsiEncoding /Widths 23 0 R >>"},
                 {22, "<< /Type /Font /Encoding /MacRomanEncoding >>"},
                 {23, "[7 x 9]"}});
  EXPECT_EQ(r->status, (std::vector<std::string>{"3 Schriftarten gefunden..."}));
  ASSERT_EQ(r->fonts.Count(), 3);
  const TFontRec& f1 = r->fonts[0];
  EXPECT_EQ(f1.Name, "/F1");
  EXPECT_EQ(f1.Encoding, PDFDocEncoding);  // no /Encoding
  EXPECT_FALSE(f1.IsType3);
  EXPECT_EQ(f1.FirstChar, 32);
  EXPECT_EQ(f1.Widths[0], 250);
  EXPECT_EQ(f1.Widths[2], 500.5);
  EXPECT_FALSE(f1.WidthDefined[3]);
  EXPECT_EQ(f1.BBoxHeight, 1.0);
  const TFontRec& f2 = r->fonts[1];
  EXPECT_TRUE(f2.IsType3);
  EXPECT_EQ(f2.BBoxHeight, 1000);
  EXPECT_EQ(f2.Encoding, WinAnsiEncoding);
  EXPECT_TRUE(f2.WidthDefined[0]);
  EXPECT_FALSE(f2.WidthDefined[1]);  // "x" still takes its index
  EXPECT_EQ(f2.Widths[2], 9);
  EXPECT_EQ(r->fonts[2].Encoding, MacRomanEncoding);
  EXPECT_EQ(r->fonts.Current(), &r->fonts[2]);  // the current font starts on the last record
}

TEST(Fonts, DifferencesThroughAnEncodingDictionary) {
  auto r = Read({"/F1 20 0 R /F2 21 0 R"},
                {{20, "<< /Type /Font /Encoding 30 0 R >>"},
                 {21, "<< /Type /Font /Encoding 31 0 R >>"},
                 {30,
                  "<< /BaseEncoding /WinAnsiEncoding /Differences [ 39 /quotesingle 96 /grave "
                  "24 /breve /caron 65 /A ] >>"},
                 {31, "<< /Differences [ 250 /a /b /c /d /e /f /g ] >>"}});
  const TFontRec& f1 = r->fonts[0];
  EXPECT_EQ(f1.Encoding, PDFDocEncoding);  // /BaseEncoding is not read
  EXPECT_TRUE(f1.DiffDefined[39]);
  EXPECT_EQ(f1.DiffCodes[39], 39);
  EXPECT_EQ(f1.DiffCodes[96], 96);
  EXPECT_FALSE(f1.DiffDefined[24]);  // breve and caron have no code but advance it
  EXPECT_FALSE(f1.DiffDefined[25]);
  EXPECT_EQ(f1.DiffCodes[65], 65);
  const TFontRec& f2 = r->fonts[1];
  for (int code = 250; code <= 255; ++code)
    EXPECT_TRUE(f2.DiffDefined[code]) << code;
  EXPECT_EQ(f2.DiffCodes[255], 'f');
}

TEST(Fonts, NamesAreResolvedPerPage) {
  // Pages 1 and 2 bind /F1 to different fonts; page 3 binds page 1's font as /F9.
  auto r = Read({"/F1 20 0 R", "/F1 21 0 R", "/F9 20 0 R /F1 7 0 R"},
                {{20, "<< /Type /Font /Encoding /MacRomanEncoding >>"},
                 {21, "<< /Type /Font /Encoding /WinAnsiEncoding >>"}});
  EXPECT_EQ(r->status, (std::vector<std::string>{"3 Schriftarten gefunden..."}));
  EXPECT_EQ(r->pages.Find(0, "/F1"), 0);
  EXPECT_EQ(r->pages.Find(1, "/F1"), 1);
  EXPECT_EQ(r->pages.Find(2, "/F9"), 0);
  EXPECT_EQ(r->pages.Find(2, "/F1"), 2);
  EXPECT_EQ(r->pages.Find(2, "/F2"), -1);
  EXPECT_EQ(r->fonts[1].Encoding, WinAnsiEncoding);
  EXPECT_TRUE(r->reader->Invalid);  // object 7 does not exist
}

TEST(MapToWinAnsi, DifferencesFirstThenTheEncoding) {
  std::array<uint8_t, 256> codes{};
  std::array<bool, 256> defined{};
  EXPECT_EQ(MapToWinAnsi("\x8A", MacRomanEncoding, codes, defined), "\xE4");
  EXPECT_EQ(MapToWinAnsi(std::string(1, '\0'), StandardEncoding, codes, defined), "\xC1");
  codes[138] = 'A';
  defined[138] = true;
  EXPECT_EQ(MapToWinAnsi("\x8A\x8A", MacRomanEncoding, codes, defined), "AA");
}

TEST(StandardWidths, FollowTheFamilyAndStyleOfTheName) {
  const struct {
    const char* base_font;
    unsigned char c;
    std::optional<double> width;
  } cases[] = {
      {"Helvetica", 'a', 556},
      {"ABCDEF+Helvetica-Bold", 'm', 889},
      {"Arial,Bold", 'a', 556},
      {"Times-Roman", 'a', 444},
      {"Times-Bold", 'a', 500},
      {"Times-Italic", 'a', 500},
      {"Times-BoldItalic", 'W', 889},
      {"Courier-Oblique", 'W', 600},
      {"Unknown", ' ', 278},
      {"Helvetica", 0xE4, 556},
      {"Helvetica", 0x81, std::nullopt},  // no character in Windows-1252
      {"Helvetica", '\n', std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StandardWidth(c.base_font, c.c), c.width) << c.base_font << " " << int{c.c};
  }
}

}  // namespace
}  // namespace paginor
