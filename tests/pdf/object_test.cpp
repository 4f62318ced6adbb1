#include "pdf/object.h"

#include <gtest/gtest.h>

namespace paginor {
namespace {

std::optional<TPdfObject> Parse(std::string_view text, const TParseLimits& limits = {}) {
  auto parsed = ParseObject(text, 0, limits);
  if (!parsed) return std::nullopt;
  return std::move(parsed->Object);
}

TEST(PdfObject, StringsFollowPdfsOwnRules) {
  const struct {
    const char* source;
    std::string bytes;
  } cases[] = {
      {"(a(b)c)", "a(b)c"},  // balanced parentheses belong to the string
      {"(a\\)b)", "a)b"},
      {"(\\101\\5x\\12)", "A\x05x\n"},  // octal escapes of one to three digits
      {"(\\q\\\\)", "q\\"},             // an unknown escape keeps its character
      {"(ab\\\ncd)", "abcd"},           // a line continues
      {"(a\r\nb\rc)", "a\nb\nc"},       // line ends read as LF
      {"<48 65 6C6C 6>", "Hell`"},      // blanks skipped, a last digit followed by 0
      {"(open", "open"},                // the data end ends the string
  };
  for (const auto& c : cases) {
    const auto object = Parse(c.source);
    ASSERT_TRUE(object) << c.source;
    EXPECT_EQ(object->kind(), TPdfObject::Kind::String) << c.source;
    EXPECT_EQ(object->Text(), c.bytes) << c.source;
  }
}

TEST(PdfObject, NumbersNamesReferencesAndKeywords) {
  EXPECT_EQ(Parse("-.5")->AsNumber(), -0.5);
  EXPECT_EQ(Parse("+12")->AsNumber(), 12);
  EXPECT_EQ(Parse("4.")->AsNumber(), 4);
  // Whole numbers: a fraction or a size beyond the type is none.
  EXPECT_EQ(Parse("4.")->AsInt32(), 4);
  EXPECT_EQ(Parse("-12")->AsInteger(), -12);
  EXPECT_EQ(Parse("4.5")->AsInteger(), std::nullopt);
  EXPECT_EQ(Parse("3000000000")->AsInteger(), 3000000000);
  EXPECT_EQ(Parse("3000000000")->AsInt32(), std::nullopt);
  EXPECT_EQ(Parse("99999999999999999999")->AsInteger(), std::nullopt);  // not exact
  EXPECT_EQ(Parse("/Name")->AsInt32(), std::nullopt);
  EXPECT_EQ(Parse("/A#20B")->Text(), "A B");
  EXPECT_TRUE(Parse("/Type")->IsName("Type"));
  const auto ref = Parse("12 0 R")->AsRef();
  ASSERT_TRUE(ref);
  EXPECT_EQ(ref->Num, 12);
  EXPECT_EQ(ref->Gen, 0);
  EXPECT_EQ(Parse("12 0 obj")->AsNumber(), 12);  // no reference: the number alone
  EXPECT_EQ(Parse("true")->AsBool(), true);
  EXPECT_TRUE(Parse("null")->IsNull());
  EXPECT_FALSE(Parse("endobj"));
  EXPECT_FALSE(Parse("   "));
  EXPECT_FALSE(Parse("]"));
}

TEST(PdfObject, DictionariesAndArraysWithComments) {
  const auto dict = Parse(
      "<< /Type /XObject % a comment [ that is no array\n"
      "   /Matrix [1 0 0 1 10 20] /Res 5 0 R /Empty >> stream");
  ASSERT_TRUE(dict && dict->IsDict());
  EXPECT_TRUE(dict->Get("Type")->IsName("XObject"));
  EXPECT_EQ(dict->Get("Matrix")->Numbers(6), (std::vector<double>{1, 0, 0, 1, 10, 20}));
  EXPECT_EQ(dict->Get("Res")->AsRef()->Num, 5);
  ASSERT_NE(dict->Get("Empty"), nullptr);
  EXPECT_TRUE(dict->Get("Empty")->IsNull());
  EXPECT_EQ(dict->Get("Missing"), nullptr);
  // Parsing stops after the dictionary: "stream" is the caller's.
  EXPECT_EQ(ParseObject("<< /A 1 >> stream", 0)->End, 10u);
  // A dictionary knows where it starts, so that a page can name the one it inherits.
  const auto nested = ParseObject("1 0 obj << /Res  << /Font 2 >> >>", 8);
  ASSERT_TRUE(nested && nested->Object.IsDict());
  EXPECT_EQ(nested->Object.Pos(), 8);
  EXPECT_EQ(nested->Object.Get("Res")->Pos(), 17);
  EXPECT_EQ(Parse("[1]")->Pos(), -1);
  // Damage inside a container is read over.
  const auto array = Parse("[1 R 2 obj (x)]");
  ASSERT_TRUE(array && array->IsArray());
  EXPECT_EQ(array->Items().size(), 3u);
}

TEST(PdfObject, HostileNestingAndLengthStayBounded) {
  TParseLimits limits;
  limits.Depth = 8;
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  const auto nested = ParseObject(deep, 0, limits);
  ASSERT_TRUE(nested);
  EXPECT_EQ(nested->End, deep.size());  // read over to its end, kept shallow
  limits.Objects = 100;
  std::string many = "[";
  for (int i = 0; i < 10000; ++i)
    many += "1 ";
  const auto capped = Parse(many, limits);
  ASSERT_TRUE(capped);
  EXPECT_LE(capped->Items().size(), 100u);
  EXPECT_TRUE(Parse(std::string(50000, '<') + "<"));  // unterminated: ends at the data's end
}

}  // namespace
}  // namespace paginor
