#include "text/content_lexer.h"

#include <gtest/gtest.h>

#include <vector>

#include "pdf/literals.h"

namespace paginor {
namespace {

std::vector<std::string> Tokens(std::string_view content) {
  TContentLexer lexer(content);
  std::vector<std::string> tokens;
  for (std::string t; lexer.Next(t);)
    tokens.push_back(t);
  return tokens;
}

// What a string token stands for, read back as the interpreter reads it.
std::string Bytes(const std::string& token) {
  return UnescapeLiteral(std::string_view(token).substr(1, token.size() - 2));
}

TEST(ContentLexer, SplitsOperatorsOperandsAndDelimiters) {
  EXPECT_EQ(Tokens("BT/F1 12 Tf[(a)-250(b)]TJ<01>Tj<</MCID 0>>BDC % note (x) Tj\nET"),
            (std::vector<std::string>{"BT", "/F1", "12", "Tf", "[", "(a)", "-250", "(b)", "]", "TJ",
                                      "<01>", "Tj", "<<", "/MCID", "0", ">>", "BDC", "ET"}));
}

TEST(ContentLexer, StringsKeepEveryByteThroughTheCanonicalForm) {
  const struct {
    const char* source;
    std::string bytes;
  } cases[] = {
      {"(a(b)c)", "a(b)c"},         // balanced parentheses
      {"(\\5x\\12y)", "\x05x\ny"},  // short octal escapes keep the next byte
      {"(\\q\\(\\\\)", "q(\\"},     // unknown escapes keep their character
      {"(line\\\ncontinued)", "linecontinued"},
      {"(tab\\there)", "tab\there"},
  };
  for (const auto& c : cases) {
    const auto tokens = Tokens(c.source);
    ASSERT_EQ(tokens.size(), 1u) << c.source;
    EXPECT_EQ(Bytes(tokens[0]), c.bytes) << c.source;
  }
  EXPECT_EQ(Tokens("<48 65 6>"), std::vector<std::string>{"<48656"
                                                          "0>"});
}

TEST(ContentLexer, InlineImageDataIsReadOver) {
  EXPECT_EQ(
      Tokens("BI /W 2 /H 1 ID \x01(\xFF) EI BT (x) Tj ET"),
      (std::vector<std::string>{"BI", "/W", "2", "/H", "1", "ID", "EI", "BT", "(x)", "Tj", "ET"}));
  EXPECT_EQ(Tokens("BI ID \x01\x02 no end").size(), 2u);  // the data run to the end
}

}  // namespace
}  // namespace paginor
