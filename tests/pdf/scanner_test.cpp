#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pdf/doc_reader.h"

namespace paginor {
namespace {

std::vector<std::string> Tokens(const std::string& input) {
  TDocReader reader(input);
  reader.SetPos(0);
  std::vector<std::string> tokens;
  while (!reader.PastEnd() && tokens.size() < 100)
    tokens.push_back(reader.ReadToken());
  return tokens;
}

struct TokenCase {
  const char* name;
  std::string input;
  std::vector<std::string> tokens;
};

class Tokenizer : public ::testing::TestWithParam<TokenCase> {};

TEST_P(Tokenizer, SplitsAsTheScannerSeesIt) {
  EXPECT_EQ(Tokens(GetParam().input), GetParam().tokens);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Tokenizer,
    ::testing::Values(
        TokenCase{"StreamDictionary",
                  "<</Length 5 0 R/Filter/FlateDecode>>",
                  {"<<", "/Length", "5", "0", "R", "/Filter", "/FlateDecode", ">>"}},
        TokenCase{"NamesEndAtSlash", "/Type/Page", {"/Type", "/Page"}},
        TokenCase{"ReferenceBeforeClose", "5 0 R>>", {"5", "0", "R", ">>"}},
        TokenCase{"ArrayBrackets", "[/A/B]", {"[", "/A", "/B", "]"}},
        TokenCase{"CloseParenOutsideString", "a)", {"a)"}},
        TokenCase{"EscapedParenComesOutBare", "(a\\)b)", {"(a)b)"}},
        TokenCase{"DoubleBackslashStays", "(a\\\\)", {"(a\\\\)"}},
        TokenCase{"EscapesStayAsWritten", "(a\\nb\\053)", {"(a\\nb\\053)"}},
        TokenCase{"NestedParensNotCounted", "(a(b)c)", {"(a(b)", "c)"}},
        TokenCase{"LineEndInsideString", "(a\r\nb) x", {"(a\r\nb)", "x"}},
        TokenCase{"HexStringThenBracket", "<48656C> ", {"<48656C", ">"}},
        TokenCase{"HexStringBeforeDictEnd", "<48656C>>>", {"<48656C", ">>", ">"}},
        TokenCase{"TabIsNoSeparator", "/A\tB 1\t2", {"/A\tB", "1\t2"}},
        TokenCase{"NoComments", "% x", {"%", "x"}},
        TokenCase{"NestedDictionaries", "<<<</A 1>>>>", {"<<", "<<", "/A", "1", ">>", ">>"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Scanner, ReadByteSafeGivesFillersPastTheEnd) {
  TDocReader reader("ab");
  reader.SetPos(2);
  EXPECT_EQ(reader.ReadByteSafe(), 13);
  EXPECT_EQ(reader.ReadByteSafe(), 96);
  EXPECT_EQ(reader.ReadByteSafe(), 13);
  EXPECT_EQ(reader.GetPos(), 5);
}

TEST(Scanner, EndOfDataGivesTheGraveAccentForever) {
  TDocReader reader("abc");
  reader.SetPos(0);
  EXPECT_EQ(reader.ReadToken(), "abc");
  EXPECT_EQ(reader.GetPos(), 4);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(reader.ReadToken(), "`");
    EXPECT_EQ(reader.GetPos(), 4);
  }
}

TEST(Scanner, UnterminatedStringEndsAtTheEnd) {
  TDocReader reader("(abc");
  reader.SetPos(0);
  EXPECT_EQ(reader.ReadToken(), "(abc\r");
  EXPECT_TRUE(reader.PastEnd());
}

TEST(Scanner, MatchLiteralAdvancesEvenWhenItFails) {
  TDocReader reader("%%EOG");
  reader.SetPos(0);
  EXPECT_FALSE(reader.MatchLiteral("%%EOF"));
  EXPECT_EQ(reader.GetPos(), 5);
  reader.SetPos(3);
  EXPECT_FALSE(reader.MatchLiteral("EOG!"));  // would reach past the end
  EXPECT_EQ(reader.GetPos(), 7);
}

TEST(Scanner, AtStreamDataNeedsLfOrCrLf) {
  const struct {
    std::string input;
    bool accepted;
    int64_t data_pos;
  } cases[] = {{"stream\nDATA", true, 7}, {"stream\r\nDATA", true, 8}, {"stream\rDATA", false, 0},
               {"stream DATA", false, 0}, {"stream", false, 0},        {"strea", false, 0}};
  for (const auto& c : cases) {
    TDocReader reader(c.input);
    reader.SetPos(0);
    EXPECT_EQ(reader.AtStreamData(), c.accepted) << c.input;
    if (c.accepted) {
      EXPECT_EQ(reader.GetPos(), c.data_pos) << c.input;
    }
  }
}

TEST(Scanner, LineOperations) {
  TDocReader reader("abc\r\n\r\ndef");
  reader.BackToLineStart();  // from the end
  EXPECT_EQ(reader.GetPos(), 7);
  reader.BackToLineStart();
  EXPECT_EQ(reader.GetPos(), 0);
  reader.BackToLineStart();  // nothing precedes: stays at 0
  EXPECT_EQ(reader.GetPos(), 0);
  EXPECT_FALSE(reader.PrecededByLineEnd());
  reader.SkipToNextLine();
  EXPECT_EQ(reader.GetPos(), 7);
  EXPECT_TRUE(reader.PrecededByLineEnd());
  reader.SetPos(0);
  EXPECT_EQ(reader.ReadLine(), "abc");
  EXPECT_EQ(reader.ReadLine(), "def");
  EXPECT_EQ(reader.ReadLine(), "");
}

TEST(Scanner, ReadLineIntAcceptsOnlyASignedInteger) {
  const struct {
    const char* line;
    int32_t value;
  } cases[] = {{"  42\n", 42}, {"-7\n", -7}, {"+8\n", 8},         {"42 \n", 0},
               {"4x\n", 0},    {"\n", 0},    {"99999999999\n", 0}};
  for (const auto& c : cases) {
    TDocReader reader(c.line);
    reader.SetPos(0);
    EXPECT_EQ(reader.ReadLineInt(), c.value) << c.line;
  }
}

struct DictEntries {
  std::vector<std::vector<std::string>> tokens;
  std::vector<int32_t> value_pos;
};

DictEntries ReadDictAt0(const std::string& input, bool* invalid = nullptr) {
  TDocReader reader(input);
  reader.SetPos(0);
  reader.ReadDict();
  DictEntries out;
  for (const TDictEntry& e : reader.DictEntries) {
    out.tokens.push_back(e.Tokens);
    out.value_pos.push_back(e.ValuePos);
  }
  if (invalid != nullptr) *invalid = reader.Invalid;
  return out;
}

TEST(DictReader, SplitsEntriesAtKeys) {
  const DictEntries d = ReadDictAt0("<</Length 5 0 R/Filter/FlateDecode>>");
  EXPECT_EQ(d.tokens, (std::vector<std::vector<std::string>>{{"/Length", "5", "0", "R"},
                                                             {"/Filter", "/FlateDecode"}}));
  EXPECT_EQ(d.value_pos[0], 10);
}

TEST(DictReader, ANameValueStaysWithItsKeyOnOneLine) {
  EXPECT_EQ(ReadDictAt0("<< /Type /Page /Count 3 >>").tokens,
            (std::vector<std::vector<std::string>>{{"/Type", "/Page"}, {"/Count", "3"}}));
  EXPECT_EQ(ReadDictAt0("<<\n/Type\n/Page\n>>").tokens,
            (std::vector<std::vector<std::string>>{{"/Type"}, {"/Page"}}));
}

TEST(DictReader, NestedValuesStayInTheirEntry) {
  const DictEntries d =
      ReadDictAt0("<< /Resources << /Font << /F1 5 0 R >> >>\n/Kids [3 0 R 4 0 R] >>");
  ASSERT_EQ(d.tokens.size(), 2u);
  EXPECT_EQ(d.tokens[0].size(), 10u);
  EXPECT_EQ(d.tokens[1].size(), 9u);
  EXPECT_EQ(d.value_pos[0], 14);  // on the inner "<<"
}

TEST(DictReader, RefusesWhatIsNoDictionary) {
  bool invalid = false;
  EXPECT_TRUE(ReadDictAt0("[1 2]", &invalid).tokens.empty());
  EXPECT_TRUE(invalid);
}

TEST(DictReader, DoubleOpeningHasNoEntryForItsFirstTokens) {
  EXPECT_EQ(ReadDictAt0("<< << /A 1 >> /B 2 >>").tokens,
            (std::vector<std::vector<std::string>>{{"/B", "2"}}));
}

TEST(DictReader, StopsAtTheEndOfUnterminatedData) {
  const DictEntries d = ReadDictAt0("<< /A [1 2");
  ASSERT_EQ(d.tokens.size(), 1u);
  EXPECT_EQ(d.tokens[0][0], "/A");
}

}  // namespace
}  // namespace paginor
