#include "pdf/token_scanner.h"

#include <algorithm>
#include <utility>

#include "pdf/literals.h"

namespace paginor {

TTokenScanner::TTokenScanner(std::string bytes) {
  LoadBuffer(std::move(bytes));
}

void TTokenScanner::LoadBuffer(std::string bytes) {
  LoadBuffer(TFileBuffer(std::move(bytes)));
}

void TTokenScanner::LoadBuffer(TFileBuffer bytes) {
  buffer_ = std::move(bytes);
  file_size_ = Size();
  cursor_ = Size();
}

int64_t TTokenScanner::AppendToBuffer(std::string_view bytes) {
  const int64_t at = Size();
  buffer_.append(bytes);
  return at;
}

void TTokenScanner::ReleaseBuffer() {
  buffer_ = TFileBuffer();
  cursor_ = 0;
}

std::string TTokenScanner::ReadBytes(int64_t n) {
  std::string out;
  if (n <= 0) return out;
  if (cursor_ < Size()) {
    const int64_t available = std::min(n, Size() - cursor_);
    out.assign(buffer_, static_cast<std::size_t>(cursor_), static_cast<std::size_t>(available));
  }
  cursor_ += n;
  return out;
}

unsigned char TTokenScanner::ReadByteSafe() {
  const int64_t pos = cursor_++;
  if (pos < Size()) return static_cast<unsigned char>(buffer_[static_cast<std::size_t>(pos)]);
  return (pos - Size()) % 2 == 0 ? '\r' : '`';
}

bool TTokenScanner::MatchLiteral(std::string_view s) {
  const int64_t start = cursor_;
  cursor_ += static_cast<int64_t>(s.size());
  if (start + static_cast<int64_t>(s.size()) > Size()) return false;
  return std::string_view(buffer_).substr(static_cast<std::size_t>(start), s.size()) == s;
}

void TTokenScanner::BackToLineStart() {
  int64_t p = std::min(cursor_, Size());
  const auto at = [this](int64_t i) { return static_cast<unsigned char>(buffer_[i]); };
  while (p > 0 && IsLineEnd(at(p - 1)))
    --p;
  while (p > 0 && !IsLineEnd(at(p - 1)))
    --p;
  cursor_ = p;
}

void TTokenScanner::SkipToNextLine() {
  while (cursor_ < Size() && !IsLineEnd(static_cast<unsigned char>(buffer_[cursor_])))
    ++cursor_;
  while (cursor_ < Size() && IsLineEnd(static_cast<unsigned char>(buffer_[cursor_])))
    ++cursor_;
}

bool TTokenScanner::PrecededByLineEnd() const {
  if (cursor_ <= 0 || cursor_ > Size()) return false;
  return IsLineEnd(static_cast<unsigned char>(buffer_[cursor_ - 1]));
}

std::string TTokenScanner::ReadLine() {
  std::string line;
  while (cursor_ < Size() && !IsLineEnd(static_cast<unsigned char>(buffer_[cursor_]))) {
    line += buffer_[cursor_++];
  }
  while (cursor_ < Size() && IsLineEnd(static_cast<unsigned char>(buffer_[cursor_])))
    ++cursor_;
  return line;
}

int32_t TTokenScanner::ReadLineInt() {
  const std::string line = ReadLine();
  std::size_t start = 0;
  while (start < line.size() && line[start] == ' ')
    ++start;
  return ParseInt32(std::string_view(line).substr(start)).value_or(0);
}

bool TTokenScanner::IsWhite(unsigned char ch) const {
  // The classic tokenizer knows blanks and line ends only; PDF also has tab and form feed (and
  // NUL, which here stands for the end of the data).
  return IsPdfSpace(ch) || (pdf_white_space_ && (ch == '\t' || ch == '\f'));
}

void TTokenScanner::SkipWhiteSpace() {
  for (;;) {
    while (IsWhite(ReadByteSafe())) {
    }
    --cursor_;
    // The modern reader also reads over comments between tokens, to the end of their line.
    if (!pdf_white_space_ || cursor_ >= Size() || buffer_[static_cast<std::size_t>(cursor_)] != '%')
      return;
    while (cursor_ < Size() &&
           !IsLineEnd(static_cast<unsigned char>(buffer_[static_cast<std::size_t>(cursor_)])))
      ++cursor_;
  }
}

std::string TTokenScanner::ReadToken() {
  if (pdf_white_space_) SkipWhiteSpace();  // a comment may stand where the cursor was set
  std::string t;
  bool in_string = false;
  int backslashes = 0;
  int after_escape = 0;
  unsigned char ch = 0;  // the byte as the ending rules see it
  bool complete = false;
  for (;;) {
    ch = ReadByteSafe();
    // Backslashes: a pair stands for itself; an escaped ")" inside a string comes out bare and
    // keeps the count at 1 for one more byte.
    if (ch == '\\') {
      ++backslashes;
      after_escape = 0;
      if (backslashes == 2) {
        t += '\\';
        backslashes = 0;
      }
    } else if (backslashes > 0) {
      ++after_escape;
      if (after_escape == 2) {
        backslashes = 0;
      } else if (ch == ')' && in_string) {
        t += ')';
      } else {
        t += '\\';
        backslashes = 0;
      }
    }
    // Taking the byte.
    if (backslashes != 0) {
      ch = 0;
    } else if (in_string) {
      t += static_cast<char>(ch);
    } else {
      bool take = true;
      if (IsWhite(ch)) {
        take = false;
      } else if ((ch == '[' || ch == ']' || ch == '/' || ch == '(') && !t.empty()) {
        take = false;
      } else if (ch == '<' && !(t.empty() || t == "<")) {
        take = false;
      } else if (ch == '>' && !(t.empty() || t == ">")) {
        take = false;
      }
      if (take) {
        if (ch == '(') in_string = true;
        t += static_cast<char>(ch);
        if (t == ">>") {
          ch = ' ';
          complete = true;
        } else {
          ch = 0;
        }
      }
    }
    if (complete) break;
    // Ending.
    if (!in_string) {
      if (IsWhite(ch) || ch == '(' || ch == ')' || ch == '[' || ch == ']' || ch == '/' ||
          ch == '<' || ch == '>' || t == "[" || t == "]") {
        break;
      }
    } else if (ch == ')' && backslashes % 2 == 0) {
      break;
    }
    if (PastEnd()) break;
  }
  // The delimiter that ended the token starts the next one.
  if (!(t == "[" || t == "]" || IsWhite(ch) || ch == ')')) --cursor_;
  SkipWhiteSpace();
  return t;
}

int32_t TTokenScanner::ReadTokenInt() {
  return ParseInt32(ReadToken()).value_or(0);
}

}  // namespace paginor
