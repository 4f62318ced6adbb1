// The modern reader's tokens of a content stream, by PDF's own rules: comments are skipped,
// strings keep balanced parentheses and every escape, hexadecimal strings end at their ">"
// whatever follows, and the data of inline images is read over. Strings come out in a canonical
// form that UnescapeLiteral reads back: "(" + the bytes, with "\", "(" and ")" escaped, + ")";
// hexadecimal strings as "<" + their digits + ">".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace paginor {

class TContentLexer {
 public:
  explicit TContentLexer(std::string_view data) : data_(data) {}

  // The next token; false at the end of the data.
  bool Next(std::string& token);

 private:
  void SkipSpaceAndComments();
  void LiteralString(std::string& token);
  void HexString(std::string& token);
  // After the ID operator: the image data up to the EI that ends it.
  void SkipInlineImage();

  std::string_view data_;
  std::size_t p_ = 0;
};

}  // namespace paginor
