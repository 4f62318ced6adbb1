#include "pdf/doc_reader.h"

#include <algorithm>
#include <utility>

#include "pdf/literals.h"

namespace paginor {

TDocReader::TDocReader() = default;

TDocReader::TDocReader(std::string bytes) {
  LoadBuffer(std::move(bytes));
}

void TDocReader::LoadBuffer(std::string bytes) {
  buffer_ = std::move(bytes);
  file_size_ = Size();
  cursor_ = Size();
  Invalid = false;
}

int64_t TDocReader::AppendToBuffer(std::string_view bytes) {
  const int64_t at = Size();
  buffer_.append(bytes);
  return at;
}

void TDocReader::ReleaseBuffer() {
  std::string().swap(buffer_);
  cursor_ = 0;
}

std::string TDocReader::ReadBytes(int64_t n) {
  std::string out;
  if (n <= 0) return out;
  if (cursor_ < Size()) {
    const int64_t available = std::min(n, Size() - cursor_);
    out.assign(buffer_, static_cast<std::size_t>(cursor_), static_cast<std::size_t>(available));
  }
  cursor_ += n;
  return out;
}

unsigned char TDocReader::ReadByteSafe() {
  const int64_t pos = cursor_++;
  if (pos < Size()) return static_cast<unsigned char>(buffer_[static_cast<std::size_t>(pos)]);
  return (pos - Size()) % 2 == 0 ? '\r' : '`';
}

bool TDocReader::MatchLiteral(std::string_view s) {
  const int64_t start = cursor_;
  cursor_ += static_cast<int64_t>(s.size());
  if (start + static_cast<int64_t>(s.size()) > Size()) return false;
  return std::string_view(buffer_).substr(static_cast<std::size_t>(start), s.size()) == s;
}

void TDocReader::BackToLineStart() {
  int64_t p = std::min(cursor_, Size());
  const auto at = [this](int64_t i) { return static_cast<unsigned char>(buffer_[i]); };
  while (p > 0 && IsLineEnd(at(p - 1)))
    --p;
  while (p > 0 && !IsLineEnd(at(p - 1)))
    --p;
  cursor_ = p;
}

void TDocReader::SkipToNextLine() {
  while (cursor_ < Size() && !IsLineEnd(static_cast<unsigned char>(buffer_[cursor_])))
    ++cursor_;
  while (cursor_ < Size() && IsLineEnd(static_cast<unsigned char>(buffer_[cursor_])))
    ++cursor_;
}

bool TDocReader::PrecededByLineEnd() const {
  if (cursor_ <= 0 || cursor_ > Size()) return false;
  return IsLineEnd(static_cast<unsigned char>(buffer_[cursor_ - 1]));
}

std::string TDocReader::ReadLine() {
  std::string line;
  while (cursor_ < Size() && !IsLineEnd(static_cast<unsigned char>(buffer_[cursor_]))) {
    line += buffer_[cursor_++];
  }
  while (cursor_ < Size() && IsLineEnd(static_cast<unsigned char>(buffer_[cursor_])))
    ++cursor_;
  return line;
}

int32_t TDocReader::ReadLineInt() {
  const std::string line = ReadLine();
  std::size_t start = 0;
  while (start < line.size() && line[start] == ' ')
    ++start;
  return ParseInt32(std::string_view(line).substr(start)).value_or(0);
}

bool TDocReader::IsWhite(unsigned char ch) const {
  // The classic tokenizer knows blanks and line ends only; PDF also has tab and form feed (and
  // NUL, which here stands for the end of the data).
  return IsPdfSpace(ch) || (Modern && (ch == '\t' || ch == '\f'));
}

void TDocReader::SkipWhiteSpace() {
  for (;;) {
    while (IsWhite(ReadByteSafe())) {
    }
    --cursor_;
    // The modern reader also reads over comments between tokens, to the end of their line.
    if (!Modern || cursor_ >= Size() || buffer_[static_cast<std::size_t>(cursor_)] != '%') return;
    while (cursor_ < Size() &&
           !IsLineEnd(static_cast<unsigned char>(buffer_[static_cast<std::size_t>(cursor_)])))
      ++cursor_;
  }
}

std::string TDocReader::ReadToken() {
  if (Modern) SkipWhiteSpace();  // a comment may stand where the cursor was set
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

int32_t TDocReader::ReadTokenInt() {
  return ParseInt32(ReadToken()).value_or(0);
}

void TDocReader::ReadDict() {
  if (ReadToken() != "<<") {
    Invalid = true;
    return;
  }
  const TCapLimits& limits = Caps.Limits;
  if (DictionaryTokens >= limits.DocumentDictionaryTokens) {
    Caps.Reached(TCap::Document);
    return;
  }
  int n = 0;
  int arrays = 0;
  int dicts = 0;
  std::size_t kept = 0;
  TDictEntry* current = nullptr;
  // The nesting of the cap: open arrays and dictionaries, where a "]" without its "[" opens
  // nothing (arrays, which the entry rule uses, counts it).
  int open_arrays = 0;
  const auto depth = [&open_arrays, &dicts] { return open_arrays + std::max(dicts, 0); };
  for (;;) {
    const bool line_start = PrecededByLineEnd();
    std::string t = ReadToken();
    // A bracket counts at the depth of what it encloses, so both brackets of a pair are kept
    // or both dropped.
    const int depth_before = depth();
    if (t == "[") {
      ++arrays;
      ++open_arrays;
    }
    if (t == "]") {
      --arrays;
      open_arrays = std::max(open_arrays - 1, 0);
    }
    if (t == "<<") ++dicts;
    if (t == ">>") --dicts;
    const bool closing = t.starts_with(">>") && dicts < 0;
    if (closing) break;
    if (std::max(depth_before, depth()) > limits.Nesting) {
      Caps.Reached(TCap::Nesting);
      if (PastEnd()) break;
      continue;
    }
    if (kept >= limits.DictionaryTokens || DictionaryTokens >= limits.DocumentDictionaryTokens) {
      Caps.Reached(kept >= limits.DictionaryTokens ? TCap::Dictionary : TCap::Document);
      if (PastEnd()) break;
      continue;
    }
    if (t != ">>" && dicts == 0) {
      // A key starts a new entry at the start of a line, or once the entry has a value.
      if ((line_start || n >= 2) && t.starts_with('/') && arrays <= 0) n = 0;
      if (n == 0) {
        current = DictEntries.Append();
        current->ValuePos = static_cast<int32_t>(GetPos());
      }
    }
    // Tokens before the first entry (a dictionary opening with "<<" twice) have no entry.
    if (current != nullptr) {
      current->Tokens.push_back(std::move(t));
      ++n;
      ++kept;
      ++DictionaryTokens;
    }
    if (PastEnd()) break;
  }
}

void TDocReader::FreeDict() {
  DictEntries.Clear();
}

bool TDocReader::CountStreamBytes(int64_t n) {
  StreamBytes += std::max<int64_t>(n, 0);
  if (StreamBytes <= Caps.Limits.DocumentContentBytes) return true;
  Caps.Reached(TCap::Document);
  return false;
}

bool TDocReader::AtStreamData() {
  if (!MatchLiteral("stream")) return false;
  const unsigned char ch = ReadByteSafe();
  if (ch == '\n') return true;
  if (ch != '\r') return false;
  if (ReadByteSafe() == '\n') return true;
  // "stream" and a lone CR: the modern reader takes the data to start right after it.
  if (!Modern) return false;
  --cursor_;
  return true;
}

bool TDocReader::GotoObject(int32_t num, int32_t /*gen*/) {
  if (num < 0 || num >= XrefCount()) return false;
  SetPos(XrefTable[static_cast<std::size_t>(num)].Offset);
  const std::string number = ReadToken();
  ReadToken();
  const std::string keyword = ReadToken();
  // The modern reader takes no other object for this one (an object missing from the table
  // points at the file's start, whose header is a comment to it).
  return !Modern || (keyword == "obj" && ParseInt32(number) == num);
}

std::optional<int32_t> TDocReader::ObjectBodyPos(int32_t num, int32_t gen) {
  const int64_t saved = cursor_;
  std::optional<int32_t> pos;
  if (GotoObject(num, gen) && !PastEnd()) pos = static_cast<int32_t>(cursor_);
  cursor_ = saved;
  return pos;
}

}  // namespace paginor
