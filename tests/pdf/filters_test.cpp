#include "pdf/filters.h"

#include <gtest/gtest.h>

#include "support/pdf_builder.h"
#include "support/read_structure.h"

namespace paginor {
namespace {

using testing::PdfBuilder;
using testing::ReadFixture;

TEST(ASCII85, DecodesGroupsAndTheirEndings) {
  const struct {
    std::string encoded;
    std::string decoded;
  } cases[] = {
      {"GAhM4", "word"},
      {"78sT~>\r\n", "ET\n"},
      {"z", std::string(4, '\0')},
      {"z GAhM4", std::string(4, '\0') + "word"},
      {"GA hM\n4", "word"},  // white space inside a group is skipped
      {"GAhM4G", "word"},    // a final single digit gives nothing
      {"9jqo^BlbD-BleB1DJ+*+F(f,q", "Man is distinguished"},
      {"", ""},
      {"~>", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DecodeASCII85(c.encoded), c.decoded) << c.encoded;
}

TEST(ASCII85, ZInsideAGroupCountsAsADigit) {
  // "z" has the value 89 there; the group overflows 32 bits and must still decode safely.
  EXPECT_EQ(DecodeASCII85("!!z!!").size(), 4u);
  EXPECT_EQ(DecodeASCII85("uuuuu").size(), 4u);
}

TEST(Flate, InflatesAndKeepsWhatADamagedStreamGave) {
  std::string text;
  for (int i = 0; i < 2000; ++i)
    text += "Zeile " + std::to_string(i) + "\n";
  const std::string packed = PdfBuilder::Deflate(text);
  EXPECT_EQ(DecodeFlate(packed), text);

  const std::string cut = DecodeFlate(packed.substr(0, packed.size() / 2));
  EXPECT_GT(cut.size(), 0u);
  EXPECT_EQ(text.compare(0, cut.size(), cut), 0);

  EXPECT_EQ(DecodeFlate("not a zlib stream"), "");
  EXPECT_EQ(DecodeFlate(""), "");
}

TEST(Flate, HighRatiosGrowTheBufferAndStopAtTheLimit) {
  const std::string zeros(3 << 20, '\0');
  const std::string packed = PdfBuilder::Deflate(zeros);
  EXPECT_EQ(DecodeFlate(packed), zeros);
  EXPECT_EQ(DecodeFlate(packed, 1000).size(), 1000u);
}

TEST(LZW, DecodesTheStandardsExample) {
  // "-----A---B" as codes 256 45 258 258 65 259 66 257.
  const std::string encoded = "\x80\x0B\x60\x50\x22\x0C\x0C\x85\x01";
  EXPECT_EQ(DecodeLZW(encoded), "-----A---B");
}

TEST(LZW, DecodesGhostscriptsEncoderAcrossAllCodeWidths) {
  const std::string plain = ReadFixture("lzw-plain.txt");
  const std::string encoded = ReadFixture("lzw-plain.lzw");
  ASSERT_GT(plain.size(), 40000u);
  EXPECT_EQ(DecodeLZW(encoded), plain);
}

TEST(LZW, DamagedDataEndsTheOutput) {
  EXPECT_EQ(DecodeLZW(""), "");
  // A first code that is no literal, and a code beyond the table.
  EXPECT_EQ(DecodeLZW("\xFF\xFF"), "");
  const std::string encoded = "\x80\x0B\x60\x50\x22\x0C\x0C\x85\x01";
  EXPECT_EQ(DecodeLZW(encoded.substr(0, 4)), "---");
  EXPECT_LE(DecodeLZW(ReadFixture("lzw-plain.lzw"), 100).size(), 100u);
}

}  // namespace
}  // namespace paginor
