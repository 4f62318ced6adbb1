#include "text/cmap.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "pdf/literals.h"

namespace paginor {

namespace {

// Bounds a hostile map: entries stored and destination length.
constexpr std::size_t kMaxEntries = 200000;
constexpr std::size_t kMaxDestination = 64;

struct Token {
  enum Kind { Hex, Word, Open, Close, End } kind;
  std::string text;  // the decoded bytes of a hex string, or the word
};

class Scanner {
 public:
  explicit Scanner(std::string_view data) : data_(data) {}
  Token Next() {
    for (;;) {
      while (at_ < data_.size() && IsSpace(data_[at_]))
        ++at_;
      if (at_ >= data_.size()) return {Token::End, {}};
      const char c = data_[at_];
      if (c == '%') {  // a comment to the end of the line
        while (at_ < data_.size() && data_[at_] != '\n' && data_[at_] != '\r')
          ++at_;
        continue;
      }
      if (c == '<' && at_ + 1 < data_.size() && data_[at_ + 1] == '<') {
        at_ += 2;
        return {Token::Word, "<<"};
      }
      if (c == '<') {
        ++at_;
        std::string digits;
        while (at_ < data_.size() && data_[at_] != '>') {
          if (std::isxdigit(static_cast<unsigned char>(data_[at_]))) digits += data_[at_];
          ++at_;
        }
        ++at_;
        if (digits.size() % 2 == 1) digits += '0';
        return {Token::Hex, DecodeHexBytes(digits)};
      }
      if (c == '[') {
        ++at_;
        return {Token::Open, {}};
      }
      if (c == ']') {
        ++at_;
        return {Token::Close, {}};
      }
      std::string word;
      while (at_ < data_.size() && !IsSpace(data_[at_]) && data_[at_] != '<' && data_[at_] != '[' &&
             data_[at_] != ']' && data_[at_] != '%') {
        word += data_[at_++];
        if (word.size() > 64) break;
      }
      if (word.empty()) ++at_;  // a stray delimiter such as '>'
      return {Token::Word, word};
    }
  }

 private:
  static bool IsSpace(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
  }
  std::string_view data_;
  std::size_t at_ = 0;
};

uint32_t CodeOf(const std::string& bytes) {
  uint32_t code = 0;
  for (std::size_t i = 0; i < bytes.size() && i < 4; ++i) {
    code = code << 8 | static_cast<unsigned char>(bytes[i]);
  }
  return code;
}

}  // namespace

std::u32string Utf16BeToUnicode(std::string_view bytes) {
  std::u32string out;
  for (std::size_t i = 0; i + 1 < bytes.size() && out.size() < kMaxDestination; i += 2) {
    const char32_t unit =
        static_cast<unsigned char>(bytes[i]) << 8 | static_cast<unsigned char>(bytes[i + 1]);
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
      const char32_t low =
          static_cast<unsigned char>(bytes[i + 2]) << 8 | static_cast<unsigned char>(bytes[i + 3]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        out += 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
        continue;
      }
    }
    if (unit >= 0xD800 && unit <= 0xDFFF) continue;
    out += unit;
  }
  return out;
}

TToUnicode TToUnicode::Parse(std::string_view cmap) {
  TToUnicode map;
  Scanner scanner(cmap);
  std::size_t entries = 0;
  for (Token t = scanner.Next(); t.kind != Token::End; t = scanner.Next()) {
    if (t.kind != Token::Word) continue;
    if (t.text == "begincodespacerange") {
      for (Token low = scanner.Next(); low.kind == Token::Hex; low = scanner.Next()) {
        const Token high = scanner.Next();
        if (low.text.size() >= 2 || high.text.size() >= 2) map.code_bytes_ = 2;
      }
    } else if (t.text == "beginbfchar") {
      for (Token src = scanner.Next(); src.kind == Token::Hex; src = scanner.Next()) {
        const Token dst = scanner.Next();
        if (dst.kind != Token::Hex) break;
        if (src.text.size() >= 2) map.code_bytes_ = std::max(map.code_bytes_, 2);
        if (++entries <= kMaxEntries) map.chars_[CodeOf(src.text)] = Utf16BeToUnicode(dst.text);
      }
    } else if (t.text == "beginbfrange") {
      for (Token low = scanner.Next(); low.kind == Token::Hex; low = scanner.Next()) {
        const Token high = scanner.Next();
        if (high.kind != Token::Hex) break;
        Range range;
        range.low = CodeOf(low.text);
        range.high = CodeOf(high.text);
        Token dst = scanner.Next();
        if (dst.kind == Token::Hex) {
          range.start = Utf16BeToUnicode(dst.text);
        } else if (dst.kind == Token::Open) {
          for (Token item = scanner.Next(); item.kind == Token::Hex; item = scanner.Next()) {
            if (range.array.size() < kMaxEntries)
              range.array.push_back(Utf16BeToUnicode(item.text));
          }
        } else {
          break;
        }
        if (range.low > range.high) continue;
        if (low.text.size() >= 2) map.code_bytes_ = std::max(map.code_bytes_, 2);
        if (++entries <= kMaxEntries) map.ranges_.push_back(std::move(range));
      }
    }
  }
  return map;
}

TCodeToCid TCodeToCid::Parse(std::string_view cmap, const TLoader& load) {
  return Parse(cmap, load, 0);
}

TCodeToCid TCodeToCid::Parse(std::string_view cmap, const TLoader& load, int depth) {
  constexpr int kMaxUseDepth = 4;  // usecmap chains of real CMaps are one or two long
  TCodeToCid map;
  Scanner scanner(cmap);
  std::size_t entries = 0;
  bool codespace = false;
  std::string last_word;
  for (Token t = scanner.Next(); t.kind != Token::End; t = scanner.Next()) {
    if (t.kind != Token::Word) continue;
    const std::string previous = std::exchange(last_word, t.text);
    if (t.text == "usecmap" && previous.starts_with('/') && load && depth < kMaxUseDepth &&
        map.chars_.empty() && map.ranges_.empty()) {
      // The parent's mappings first: this map's own come after and win.
      if (const auto parent_program = load(std::string_view(previous).substr(1))) {
        TCodeToCid parent = Parse(*parent_program, load, depth + 1);
        if (!codespace && !parent.codespaces_.empty()) {
          map.code_bytes_ = parent.code_bytes_;
          codespace = true;
        }
        map.codespaces_.insert(map.codespaces_.end(), parent.codespaces_.begin(),
                               parent.codespaces_.end());
        map.chars_ = std::move(parent.chars_);
        map.ranges_ = std::move(parent.ranges_);
        entries = map.chars_.size() + map.ranges_.size();
      }
    } else if (t.text == "begincodespacerange") {
      for (Token low = scanner.Next(); low.kind == Token::Hex; low = scanner.Next()) {
        const Token high = scanner.Next();
        if (high.kind != Token::Hex) break;
        if (!codespace) map.code_bytes_ = low.text.size() >= 2 || high.text.size() >= 2 ? 2 : 1;
        codespace = true;
        if (!low.text.empty() && low.text.size() == high.text.size() && low.text.size() <= 4 &&
            map.codespaces_.size() < 256) {
          map.codespaces_.push_back({low.text, high.text});
        }
      }
    } else if (t.text == "begincidchar") {
      for (Token src = scanner.Next(); src.kind == Token::Hex; src = scanner.Next()) {
        const Token cid = scanner.Next();
        const auto value = ParseInt64(cid.text);
        if (cid.kind != Token::Word || !value || *value < 0 || *value > 0xFFFF) break;
        if (++entries <= kMaxEntries) map.chars_[CodeOf(src.text)] = static_cast<uint32_t>(*value);
      }
    } else if (t.text == "begincidrange") {
      for (Token low = scanner.Next(); low.kind == Token::Hex; low = scanner.Next()) {
        const Token high = scanner.Next();
        const Token cid = scanner.Next();
        const auto value = ParseInt64(cid.text);
        if (high.kind != Token::Hex || cid.kind != Token::Word || !value || *value < 0 ||
            *value > 0xFFFF) {
          break;
        }
        Range range{CodeOf(low.text), CodeOf(high.text), static_cast<uint32_t>(*value)};
        if (range.low <= range.high && ++entries <= kMaxEntries) map.ranges_.push_back(range);
      }
    }
  }
  return map;
}

std::size_t TCodeToCid::CodeLength(std::string_view bytes, std::size_t at) const {
  const std::size_t left = at < bytes.size() ? bytes.size() - at : 0;
  if (codespaces_.empty())
    return std::clamp<std::size_t>(code_bytes_, 1, std::max<std::size_t>(left, 1));
  std::size_t shortest = 4;
  for (const Codespace& range : codespaces_) {
    const std::size_t n = range.low.size();
    shortest = std::min(shortest, n);
    if (n > left) continue;
    bool inside = true;
    for (std::size_t k = 0; k < n && inside; ++k) {
      const auto b = static_cast<unsigned char>(bytes[at + k]);
      inside = b >= static_cast<unsigned char>(range.low[k]) &&
               b <= static_cast<unsigned char>(range.high[k]);
    }
    if (inside) return n;
  }
  return std::max<std::size_t>(1, std::min(shortest, std::max<std::size_t>(left, 1)));
}

uint32_t TCodeToCid::Cid(uint32_t code) const {
  if (chars_.empty() && ranges_.empty()) return code;
  if (const auto it = chars_.find(code); it != chars_.end()) return it->second;
  for (auto it = ranges_.rbegin(); it != ranges_.rend(); ++it) {
    if (code >= it->low && code <= it->high) return it->cid + (code - it->low);
  }
  return 0;
}

std::optional<std::u32string> TToUnicode::Lookup(uint32_t code) const {
  if (const auto it = chars_.find(code); it != chars_.end()) return it->second;
  // The later range wins, as later definitions override earlier ones.
  for (auto it = ranges_.rbegin(); it != ranges_.rend(); ++it) {
    if (code < it->low || code > it->high) continue;
    const uint32_t offset = code - it->low;
    if (!it->array.empty()) {
      if (offset < it->array.size()) return it->array[offset];
      return std::nullopt;
    }
    if (it->start.empty()) return std::nullopt;
    std::u32string value = it->start;
    value.back() += offset;
    return value;
  }
  return std::nullopt;
}

}  // namespace paginor
