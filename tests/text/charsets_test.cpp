#include "text/charsets.h"

#include <gtest/gtest.h>

#include "text/charsets_table.h"

namespace paginor {
namespace {

int ChangedCodes(TEncodingId from) {
  int changed = 0;
  for (int code = 0; code < 256; ++code) {
    if (ConvertCode(static_cast<uint8_t>(code), from, WinAnsiEncoding) != code) ++changed;
  }
  return changed;
}

TEST(GlyphTable, HasTheRowsOfTheStandardAndOurTwo) {
  EXPECT_EQ(kGlyphRows.size(), 230u);
  EXPECT_EQ(kGlyphRows.front().GlyphName, "A");
  EXPECT_EQ(kGlyphRows.back().GlyphName, "zero");
  int spaces = 0;
  for (const TGlyphRow& row : kGlyphRows)
    spaces += row.GlyphName == "space";
  EXPECT_EQ(spaces, 2);
}

TEST(ConvertCode, ChangesAsManyCodesAsTheTableImplies) {
  EXPECT_EQ(ChangedCodes(StandardEncoding), 48);
  EXPECT_EQ(ChangedCodes(MacRomanEncoding), 109);
  EXPECT_EQ(ChangedCodes(PDFDocEncoding), 38);
  EXPECT_EQ(ChangedCodes(WinAnsiEncoding), 0);
}

TEST(ConvertCode, EdgeCases) {
  const struct {
    uint8_t code;
    TEncodingId from;
    uint8_t expected;
  } cases[] = {
      {0, StandardEncoding, 193},  // the first row without a Standard code: Aacute
      {0, MacRomanEncoding, 208},  // Eth
      {0, WinAnsiEncoding, 0},      {0, PDFDocEncoding, 0},
      {202, MacRomanEncoding, 32},   // the second space row
      {202, StandardEncoding, 176},  // ring, with its own WinAnsi code
      {39, StandardEncoding, 146},   // quoteright
      {96, StandardEncoding, 145},   // quoteleft
      {173, MacRomanEncoding, 173},  // no row has MacRoman 255 octal
      {128, MacRomanEncoding, 196},  // Adieresis
      {0240, PDFDocEncoding, 128},   // Euro
      {0350, StandardEncoding, 0},   // Lslash has no WinAnsi code
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ConvertCode(c.code, c.from, WinAnsiEncoding), c.expected)
        << int(c.code) << " from " << int(c.from);
  }
}

TEST(GlyphNameToWinAnsi, KnownNamesAndNamesWithoutCode) {
  EXPECT_EQ(GlyphNameToWinAnsi("adieresis"), 228);
  EXPECT_EQ(GlyphNameToWinAnsi("Adieresis"), 196);
  EXPECT_EQ(GlyphNameToWinAnsi("space"), 32);
  EXPECT_EQ(GlyphNameToWinAnsi("Euro"), 128);
  EXPECT_EQ(GlyphNameToWinAnsi("ring"), 176);
  for (const char* name : {"fi", "minus", "breve", "Lslash", "nosuchglyph", ""}) {
    EXPECT_FALSE(GlyphNameToWinAnsi(name).has_value()) << name;
  }
}

}  // namespace
}  // namespace paginor
