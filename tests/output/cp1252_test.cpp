#include "output/cp1252.h"
#include "output/utf8.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace paginor {
namespace {

TEST(Cp1252, BytesBecomeUtf8) {
  struct Case {
    const char* name;
    std::string cp1252;
    std::string utf8;
  };
  const Case cases[] = {
      {"ASCII", "Abc 1\t~", "Abc 1\t~"},
      {"umlauts", "\xE4\xF6\xFC\xC4\xD6\xDC\xDF", "äöüÄÖÜß"},
      {"euro sign", "\x80", "€"},
      {"quotes and dashes", "\x84\x93\x94\x96\x97", "„“”–—"},
      {"undefined bytes stay C1 controls", "\x81\x8D\x8F\x90\x9D",
       "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},
      {"Latin-1 half", "\xA0\xA9\xFF", "\xC2\xA0©ÿ"},
      {"zero byte", std::string(1, '\0'), std::string(1, '\0')},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Cp1252ToUtf8(c.cp1252), c.utf8) << c.name;
}

TEST(Cp1252, Utf8BecomesBytesOrQuestionMarks) {
  struct Case {
    const char* name;
    std::string utf8;
    std::string cp1252;
  };
  const Case cases[] = {
      {"umlauts and euro", "Grüße €", "Gr\xFC\xDF\x65 \x80"},
      {"typographic characters", "‚ƒ…†‡ˆ‰Š‹ŒŽ", "\x82\x83\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8E"},
      {"C1 controls of the undefined bytes", "\xC2\x81\xC2\x9D", "\x81\x9D"},
      {"C1 controls the code page replaces", "\xC2\x80\xC2\x9F", "??"},
      {"no such character", "中x😀", "?x?"},
      {"lone continuation byte", "a\x80z", "a?z"},
      {"truncated sequence", "a\xC3", "a?"},
      {"overlong encodings", "\xC0\xAF|\xE0\x80\xAF|\xF0\x82\x82\xAC", "??|???|????"},
      {"surrogate", "\xED\xA0\x80", "???"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Utf8ToCp1252(c.utf8), c.cp1252) << c.name;
}

TEST(Utf8, EncodesEveryCodePointAndOnlyThose) {
  struct Case {
    const char* name;
    std::u32string text;
    std::string utf8;
  };
  const Case cases[] = {
      {"one to four bytes", U"a\u00E9\u20AC\U0001D400", "aé€𝐀"},
      {"a surrogate cannot be written", std::u32string{U'x', char32_t{0xD800}, U'y'}, "x?y"},
      {"beyond U+10FFFF", std::u32string{char32_t{0x110000}}, "?"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ToUtf8(c.text), c.utf8) << c.name;
  // Decoding: every valid sequence back, every malformed byte a "?".
  EXPECT_EQ(FromUtf8("aé€𝐀"), U"a\u00E9\u20AC\U0001D400");
  EXPECT_EQ(FromUtf8("a\x80z\xC3"), U"a?z?");
  EXPECT_EQ(FromUtf8("\xED\xA0\x80"), U"???");
}

TEST(Cp1252, EveryByteRoundTrips) {
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(byte)), byte) << b;
    EXPECT_EQ(UnicodeToCp1252(Cp1252ToUnicode(static_cast<unsigned char>(b))), b) << b;
  }
}

// The C library's converter as a peer, for the bytes that the code page defines.
TEST(Cp1252, AgreesWithIconv) {
  iconv_t cd = iconv_open("UTF-8", "WINDOWS-1252");
  if (cd == reinterpret_cast<iconv_t>(-1)) GTEST_SKIP() << "iconv has no WINDOWS-1252";
  int compared = 0;
  for (int b = 0; b < 256; ++b) {
    char in = static_cast<char>(b);
    char out[8] = {};
    char* in_ptr = &in;
    char* out_ptr = out;
    std::size_t in_left = 1;
    std::size_t out_left = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<std::size_t>(-1)) {
      continue;  // undefined in iconv's table
    }
    EXPECT_EQ(Cp1252ToUtf8(std::string(1, in)), std::string(out, out_ptr)) << b;
    ++compared;
  }
  iconv_close(cd);
  EXPECT_GE(compared, 251);
}

}  // namespace
}  // namespace paginor
