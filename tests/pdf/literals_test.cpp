#include "pdf/literals.h"

#include <gtest/gtest.h>

#include <clocale>

namespace paginor {
namespace {

TEST(ParseNumber, AcceptsThePdfForms) {
  const struct {
    const char* text;
    double value;
  } ok[] = {{"12", 12}, {"-3.5", -3.5}, {".5", 0.5},    {"5.", 5},          {"1e3", 1000},
            {" 7 ", 7}, {"+2", 2},      {"0.75", 0.75}, {"-.25E-1", -0.025}};
  for (const auto& c : ok) {
    const auto value = ParseNumber(c.text);
    ASSERT_TRUE(value.has_value()) << c.text;
    EXPECT_DOUBLE_EQ(*value, c.value) << c.text;
  }
  for (const char* bad : {"", "-", "12a", "[", "1e", "inf", "nan", "0x10", "1 2", "1,5"}) {
    EXPECT_FALSE(ParseNumber(bad).has_value()) << bad;
  }
}

TEST(ParseNumber, IgnoresACommaLocale) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous ? previous : "C";
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no German locale";
  EXPECT_EQ(ParseNumber("0.75"), 0.75);
  std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(ParseInt, ConvertsOnlyWhatFits) {
  EXPECT_EQ(ParseInt32("-2147483648"), INT32_MIN);
  EXPECT_EQ(ParseInt32("2147483647"), INT32_MAX);
  EXPECT_FALSE(ParseInt32("2147483648").has_value());
  EXPECT_FALSE(ParseInt32("1.0").has_value());
  EXPECT_EQ(ParseInt64("4294967292"), 4294967292LL);
}

TEST(StripParens, RemovesFirstAndLastAfterAnOpeningParen) {
  EXPECT_EQ(StripParens("(abc)"), "abc");
  EXPECT_EQ(StripParens("(abc"), "ab");
  EXPECT_EQ(StripParens("("), "(");
  EXPECT_EQ(StripParens("abc"), "abc");
}

TEST(UnescapeLiteral, ResolvesEscapes) {
  const struct {
    std::string body;
    std::string bytes;
  } cases[] = {{"a\\)b", "a)b"},
               {"a\\\\b", "a\\b"},
               {"\\053", "+"},
               {"\\q", ""},
               {"\\101", "A"},
               {"\\5x", ""},
               {"\\12x", ""},
               {"ab\\", "ab"},
               {"a\\\nb", "ab"},
               {"\\n\\r\\t\\b\\f", "\n\r\t\b\f"},
               {"\\777", std::string(1, '\xFF')}};
  for (const auto& c : cases)
    EXPECT_EQ(UnescapeLiteral(c.body), c.bytes) << c.body;
}

TEST(DecodeHexString, DropsZeroBytesAndAnOddDigit) {
  EXPECT_EQ(DecodeHexString("48656C6C6F"), "Hello");
  EXPECT_EQ(DecodeHexString("00410042"), "AB");
  EXPECT_EQ(DecodeHexString("486"), "H");
  EXPECT_EQ(DecodeHexString("00"), "");
  EXPECT_EQ(DecodeHexString("4G"), "@");
}

TEST(DecodeHexBytes, KeepsZeroBytes) {
  EXPECT_EQ(DecodeHexBytes("0A1B00f"), std::string("\x0A\x1B\x00", 3));
}

TEST(PadNumber3, PadsToThreeDigits) {
  EXPECT_EQ(PadNumber3(0), "000");
  EXPECT_EQ(PadNumber3(7), "007");
  EXPECT_EQ(PadNumber3(42), "042");
  EXPECT_EQ(PadNumber3(1234), "1234");
}

}  // namespace
}  // namespace paginor
