#include "pdf/filters.h"

#include <gtest/gtest.h>

#include "pdf/predictor.h"
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

TEST(Flate, CountingGivesTheLengthThatDecodingGives) {
  std::string text;
  for (int i = 0; i < 40000; ++i)
    text += "Zeile " + std::to_string(i) + "\n";
  const std::string packed = PdfBuilder::Deflate(text);
  const std::string zeros = PdfBuilder::Deflate(std::string(3 << 20, '\0'));
  std::string bad_check = packed;
  bad_check.back() = static_cast<char>(bad_check.back() ^ 1);
  const struct {
    const char* name;
    std::string data;
    std::size_t limit;
  } cases[] = {
      {"whole", packed, kMaxInflatedSize},
      {"cut in half", packed.substr(0, packed.size() / 2), kMaxInflatedSize},
      {"damaged check value", bad_check, kMaxInflatedSize},
      {"damaged in the middle", packed.substr(0, 40) + "\xFF\xFF\xFF" + packed.substr(43),
       kMaxInflatedSize},
      {"high ratio", zeros, kMaxInflatedSize},
      {"stopped at the limit", zeros, 100000},
      {"limit 0", packed, 0},
      {"not zlib", "not a zlib stream", kMaxInflatedSize},
      {"empty", "", kMaxInflatedSize},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CountFlate(c.data, c.limit), DecodeFlate(c.data, c.limit).size()) << c.name;
  }
  EXPECT_EQ(CountFlate(packed), text.size());
}

TEST(Predictor, TheSizeKnownBeforehandIsTheSizeOfTheUndoneData) {
  const struct {
    const char* name;
    TPredictorParams params;
  } cases[] = {
      {"none", {1, 1, 8, 5}},
      {"TIFF 8-bit RGB", {2, 3, 8, 4}},
      {"TIFF 16-bit", {2, 1, 16, 3}},
      {"PNG grey", {10, 1, 8, 5}},
      {"PNG 1-bit", {15, 1, 1, 13}},
      {"PNG RGB", {12, 3, 8, 7}},
      {"unknown predictor 5", {5, 1, 8, 4}},
      {"row wider than the data", {12, 3, 8, 100}},
      {"colors out of range", {12, 65, 8, 4}},
      {"depth out of range", {2, 1, 17, 4}},
      {"no columns", {10, 1, 8, 0}},
  };
  for (const auto& c : cases) {
    for (const std::size_t size : {0, 1, 5, 6, 17, 24, 30, 299}) {
      const std::string data(size, '\x07');
      EXPECT_EQ(PredictedSize(size, c.params), UndoPredictor(data, c.params).size())
          << c.name << ", " << size << " bytes";
    }
  }
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
