#include "text/content_lexer.h"

#include "pdf/object.h"

namespace paginor {

namespace {

bool IsWhite(unsigned char c) {
  return IsPdfWhite(c);
}

bool IsDelimiter(unsigned char c) {
  return IsPdfDelimiter(c);
}

bool IsHexDigit(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

}  // namespace

void TContentLexer::SkipSpaceAndComments() {
  while (p_ < data_.size()) {
    const auto c = static_cast<unsigned char>(data_[p_]);
    if (IsWhite(c)) {
      ++p_;
    } else if (c == '%') {
      while (p_ < data_.size() && data_[p_] != '\r' && data_[p_] != '\n')
        ++p_;
    } else {
      return;
    }
  }
}

bool TContentLexer::Next(std::string& token) {
  token.clear();
  SkipSpaceAndComments();
  if (p_ >= data_.size()) return false;
  const auto c = static_cast<unsigned char>(data_[p_]);
  if (c == '(') {
    LiteralString(token);
  } else if (c == '<' && p_ + 1 < data_.size() && data_[p_ + 1] == '<') {
    token = "<<";
    p_ += 2;
  } else if (c == '>' && p_ + 1 < data_.size() && data_[p_ + 1] == '>') {
    token = ">>";
    p_ += 2;
  } else if (c == '<') {
    HexString(token);
  } else if (c == '/') {
    token += data_[p_++];
    while (p_ < data_.size() && !IsWhite(static_cast<unsigned char>(data_[p_])) &&
           !IsDelimiter(static_cast<unsigned char>(data_[p_])))
      token += data_[p_++];
  } else if (IsDelimiter(c)) {
    token += data_[p_++];  // [ ] { } and a stray ) or >
  } else {
    while (p_ < data_.size() && !IsWhite(static_cast<unsigned char>(data_[p_])) &&
           !IsDelimiter(static_cast<unsigned char>(data_[p_])))
      token += data_[p_++];
    if (token == "ID") SkipInlineImage();
  }
  return true;
}

void TContentLexer::LiteralString(std::string& token) {
  ++p_;  // "("
  token += '(';
  int depth = 1;
  const auto put = [&token](char byte) {
    if (byte == '\\' || byte == '(' || byte == ')') token += '\\';
    token += byte;
  };
  while (p_ < data_.size()) {
    const char c = data_[p_++];
    if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (--depth == 0) break;
    } else if (c == '\\' && p_ < data_.size()) {
      const char e = data_[p_++];
      switch (e) {
        case 'n':
          put('\n');
          continue;
        case 'r':
          put('\r');
          continue;
        case 't':
          put('\t');
          continue;
        case 'b':
          put('\b');
          continue;
        case 'f':
          put('\f');
          continue;
        case '\r':
          if (p_ < data_.size() && data_[p_] == '\n') ++p_;
          continue;
        case '\n':
          continue;
        default:
          break;
      }
      if (e >= '0' && e <= '7') {
        int value = e - '0';
        for (int k = 0; k < 2 && p_ < data_.size() && data_[p_] >= '0' && data_[p_] <= '7'; ++k)
          value = value * 8 + (data_[p_++] - '0');
        put(static_cast<char>(value & 0xFF));
      } else {
        put(e);  // "\(", "\)", "\\" and unknown escapes: the character itself
      }
      continue;
    } else if (c == '\\') {
      continue;  // a backslash at the very end
    }
    put(c);
  }
  token += ')';
}

void TContentLexer::HexString(std::string& token) {
  ++p_;  // "<"
  token += '<';
  std::size_t digits = 0;
  while (p_ < data_.size() && data_[p_] != '>') {
    const auto c = static_cast<unsigned char>(data_[p_++]);
    if (IsHexDigit(c)) {
      token += static_cast<char>(c);
      ++digits;
    }
  }
  if (digits % 2 == 1) token += '0';
  if (p_ < data_.size()) ++p_;  // ">"
  token += '>';
}

void TContentLexer::SkipInlineImage() {
  if (p_ < data_.size()) ++p_;  // the one white-space byte after ID
  // The data end at "EI" between white space (or the end of the content).
  while (p_ + 1 < data_.size()) {
    if (data_[p_] == 'E' && data_[p_ + 1] == 'I' && p_ > 0 &&
        IsWhite(static_cast<unsigned char>(data_[p_ - 1])) &&
        (p_ + 2 >= data_.size() || IsWhite(static_cast<unsigned char>(data_[p_ + 2])))) {
      return;  // EI is the next token
    }
    ++p_;
  }
  p_ = data_.size();
}

}  // namespace paginor
