#include "pdf/object.h"

#include <cmath>

namespace paginor {

TPdfObject TPdfObject::Boolean(bool b) {
  TPdfObject o;
  o.kind_ = Kind::Bool;
  o.number_ = b ? 1 : 0;
  return o;
}

TPdfObject TPdfObject::Number(double v) {
  TPdfObject o;
  o.kind_ = Kind::Number;
  o.number_ = v;
  return o;
}

TPdfObject TPdfObject::String(std::string bytes) {
  TPdfObject o;
  o.kind_ = Kind::String;
  o.text_ = std::move(bytes);
  return o;
}

TPdfObject TPdfObject::Name(std::string name) {
  TPdfObject o;
  o.kind_ = Kind::Name;
  o.text_ = std::move(name);
  return o;
}

TPdfObject TPdfObject::Array(TPdfArray items) {
  TPdfObject o;
  o.kind_ = Kind::Array;
  o.array_ = std::make_shared<const TPdfArray>(std::move(items));
  return o;
}

TPdfObject TPdfObject::Dict(TPdfDict entries, int64_t pos) {
  TPdfObject o;
  o.kind_ = Kind::Dict;
  o.pos_ = pos;
  o.dict_ = std::make_shared<const TPdfDict>(std::move(entries));
  return o;
}

TPdfObject TPdfObject::Reference(TPdfRef ref) {
  TPdfObject o;
  o.kind_ = Kind::Ref;
  o.ref_ = ref;
  return o;
}

std::optional<double> TPdfObject::AsNumber() const {
  if (kind_ != Kind::Number) return std::nullopt;
  return number_;
}

std::optional<int64_t> TPdfObject::AsInteger() const {
  const std::optional<double> n = AsNumber();
  if (!n || std::trunc(*n) != *n || std::fabs(*n) > 9007199254740992.0) return std::nullopt;
  return static_cast<int64_t>(*n);
}

std::optional<int32_t> TPdfObject::AsInt32() const {
  const std::optional<int64_t> n = AsInteger();
  if (!n || *n < INT32_MIN || *n > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(*n);
}

std::optional<bool> TPdfObject::AsBool() const {
  if (kind_ != Kind::Bool) return std::nullopt;
  return number_ != 0;
}

std::optional<TPdfRef> TPdfObject::AsRef() const {
  if (kind_ != Kind::Ref) return std::nullopt;
  return ref_;
}

const TPdfArray& TPdfObject::Items() const {
  static const TPdfArray kEmpty;
  return array_ ? *array_ : kEmpty;
}

const TPdfDict& TPdfObject::Entries() const {
  static const TPdfDict kEmpty;
  return dict_ ? *dict_ : kEmpty;
}

const TPdfObject* TPdfObject::Get(std::string_view key) const {
  for (const auto& [name, value] : Entries()) {
    if (name == key) return &value;
  }
  return nullptr;
}

std::optional<std::vector<double>> TPdfObject::Numbers(std::size_t n) const {
  const TPdfArray& items = Items();
  if (kind_ != Kind::Array || items.size() != n) return std::nullopt;
  std::vector<double> numbers;
  for (const TPdfObject& item : items) {
    const auto v = item.AsNumber();
    if (!v) return std::nullopt;
    numbers.push_back(*v);
  }
  return numbers;
}

bool IsPdfWhite(unsigned char c) {
  return c == 0 || c == 9 || c == 10 || c == 12 || c == 13 || c == 32;
}

bool IsPdfDelimiter(unsigned char c) {
  return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' ||
         c == '}' || c == '/' || c == '%';
}

namespace {

bool IsWhite(unsigned char c) {
  return IsPdfWhite(c);
}

bool IsRegular(unsigned char c) {
  return !IsPdfWhite(c) && !IsPdfDelimiter(c);
}

int HexValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

class Parser {
 public:
  Parser(std::string_view data, std::size_t at, const TParseLimits& limits)
      : d_(data), p_(at), limits_(limits) {}

  std::optional<TPdfObject> Value(int depth) {
    SkipSpace();
    if (p_ >= d_.size() || ++objects_ > limits_.Objects) return std::nullopt;
    const unsigned char c = static_cast<unsigned char>(d_[p_]);
    if (c == '/') return TPdfObject::Name(NameBody());
    if (c == '(') return TPdfObject::String(LiteralBody());
    if (c == '<' && At(p_ + 1) == '<') return depth < limits_.Depth ? Dict(depth) : Skipped();
    if (c == '<') return TPdfObject::String(HexBody());
    if (c == '[') return depth < limits_.Depth ? Array(depth) : Skipped();
    if (c == '+' || c == '-' || c == '.' || (c >= '0' && c <= '9')) return NumberOrRef();
    if (IsRegular(c)) {
      const std::size_t start = p_;
      while (p_ < d_.size() && IsRegular(static_cast<unsigned char>(d_[p_])))
        ++p_;
      const std::string_view word = d_.substr(start, p_ - start);
      if (word == "true") return TPdfObject::Boolean(true);
      if (word == "false") return TPdfObject::Boolean(false);
      if (word == "null") return TPdfObject{};
      p_ = start;  // a keyword ("stream", "endobj", ...) ends the object
    }
    return std::nullopt;
  }

  std::size_t Position() const { return p_; }

 private:
  unsigned char At(std::size_t i) const {
    return i < d_.size() ? static_cast<unsigned char>(d_[i]) : 0;
  }

  void SkipSpace() {
    while (p_ < d_.size()) {
      const unsigned char c = static_cast<unsigned char>(d_[p_]);
      if (IsWhite(c)) {
        ++p_;
      } else if (c == '%') {
        while (p_ < d_.size() && d_[p_] != '\r' && d_[p_] != '\n')
          ++p_;
      } else {
        return;
      }
    }
  }

  // Steps over one token that is no value, so that a damaged container still ends.
  void SkipToken() {
    if (p_ < d_.size() && !IsRegular(At(p_))) {
      ++p_;
      return;
    }
    while (p_ < d_.size() && IsRegular(At(p_)))
      ++p_;
  }

  // A container nested too deep: read over up to its end, kept as null.
  TPdfObject Skipped() {
    int open = 0;
    while (p_ < d_.size()) {
      const unsigned char c = At(p_);
      if (c == '(') {
        LiteralBody();
        continue;
      }
      if (c == '[' || (c == '<' && At(p_ + 1) == '<')) ++open;
      if (c == ']' || (c == '>' && At(p_ + 1) == '>')) --open;
      p_ += (c == '<' || c == '>') && At(p_ + 1) == c ? 2 : 1;
      if (open <= 0) break;
    }
    return TPdfObject{};
  }

  std::string NameBody() {
    ++p_;  // "/"
    std::string name;
    while (p_ < d_.size() && IsRegular(At(p_))) {
      const int high = At(p_) == '#' ? HexValue(At(p_ + 1)) : -1;
      const int low = high >= 0 ? HexValue(At(p_ + 2)) : -1;
      if (low >= 0) {
        name += static_cast<char>(high * 16 + low);
        p_ += 3;
      } else {
        name += d_[p_++];
      }
    }
    return name;
  }

  std::string LiteralBody() {
    ++p_;  // "("
    std::string s;
    int depth = 1;
    while (p_ < d_.size()) {
      const char c = d_[p_++];
      if (c == '(') {
        ++depth;
      } else if (c == ')') {
        if (--depth == 0) break;
      } else if (c == '\r') {
        if (At(p_) == '\n') ++p_;
        s += '\n';  // every line end reads as LF
        continue;
      } else if (c == '\\') {
        Escape(s);
        continue;
      }
      s += c;
    }
    return s;
  }

  void Escape(std::string& s) {
    if (p_ >= d_.size()) return;
    const char c = d_[p_++];
    switch (c) {
      case 'n':
        s += '\n';
        return;
      case 'r':
        s += '\r';
        return;
      case 't':
        s += '\t';
        return;
      case 'b':
        s += '\b';
        return;
      case 'f':
        s += '\f';
        return;
      case '\r':
        if (At(p_) == '\n') ++p_;
        return;  // the line continues
      case '\n':
        return;
      default:
        break;
    }
    if (c >= '0' && c <= '7') {
      int value = c - '0';
      for (int k = 0; k < 2 && At(p_) >= '0' && At(p_) <= '7'; ++k)
        value = value * 8 + (d_[p_++] - '0');
      s += static_cast<char>(value & 0xFF);
      return;
    }
    s += c;  // "\(", "\)", "\\" and unknown escapes: the character itself
  }

  std::string HexBody() {
    ++p_;  // "<"
    std::string s;
    int high = -1;
    while (p_ < d_.size() && d_[p_] != '>') {
      const int v = HexValue(At(p_++));
      if (v < 0) continue;
      if (high < 0) {
        high = v;
      } else {
        s += static_cast<char>(high * 16 + v);
        high = -1;
      }
    }
    if (high >= 0) s += static_cast<char>(high * 16);
    if (p_ < d_.size()) ++p_;  // ">"
    return s;
  }

  // A number, or "n g R" when two unsigned integers and R follow.
  std::optional<TPdfObject> NumberOrRef() {
    const std::size_t start = p_;
    const std::optional<double> first = NumberBody();
    if (!first) return std::nullopt;
    const bool whole = d_.substr(start, p_ - start).find_first_of(".+-") == std::string_view::npos;
    if (whole) {
      const std::size_t after_first = p_;
      SkipSpace();
      const std::size_t gen_start = p_;
      while (p_ < d_.size() && At(p_) >= '0' && At(p_) <= '9')
        ++p_;
      if (p_ > gen_start && p_ - gen_start <= 5) {
        const std::size_t after_gen = p_;
        SkipSpace();
        if (At(p_) == 'R' && !IsRegular(At(p_ + 1)) && *first <= INT32_MAX) {
          ++p_;
          int32_t gen = 0;
          for (std::size_t i = gen_start; i < after_gen; ++i)
            gen = gen * 10 + (d_[i] - '0');
          return TPdfObject::Reference({static_cast<int32_t>(*first), gen});
        }
      }
      p_ = after_first;
    }
    return TPdfObject::Number(*first);
  }

  std::optional<double> NumberBody() {
    double sign = 1;
    if (At(p_) == '+' || At(p_) == '-') sign = d_[p_++] == '-' ? -1 : 1;
    double value = 0;
    bool digits = false;
    while (At(p_) >= '0' && At(p_) <= '9') {
      value = value * 10 + (d_[p_++] - '0');
      digits = true;
    }
    if (At(p_) == '.') {
      ++p_;
      double scale = 0.1;
      while (At(p_) >= '0' && At(p_) <= '9') {
        value += (d_[p_++] - '0') * scale;
        scale /= 10;
        digits = true;
      }
    }
    // Damaged numbers ("1.2.3", "4-5") keep what they began with; the rest is read over.
    while (At(p_) == '.' || At(p_) == '-' || (At(p_) >= '0' && At(p_) <= '9'))
      ++p_;
    if (!digits) return std::nullopt;
    return std::isfinite(value) ? sign * value : 0.0;
  }

  TPdfObject Array(int depth) {
    ++p_;  // "["
    TPdfArray items;
    while (true) {
      SkipSpace();
      if (p_ >= d_.size()) break;
      if (At(p_) == ']') {
        ++p_;
        break;
      }
      if (std::optional<TPdfObject> item = Value(depth + 1)) {
        items.push_back(std::move(*item));
      } else {
        if (p_ >= d_.size() || objects_ > limits_.Objects) break;
        SkipToken();
      }
    }
    return TPdfObject::Array(std::move(items));
  }

  TPdfObject Dict(int depth) {
    const std::size_t start = p_;
    p_ += 2;  // "<<"
    TPdfDict entries;
    while (true) {
      SkipSpace();
      if (p_ >= d_.size()) break;
      if (At(p_) == '>' && At(p_ + 1) == '>') {
        p_ += 2;
        break;
      }
      if (At(p_) != '/') {
        SkipToken();
        continue;
      }
      std::string key = NameBody();
      if (++objects_ > limits_.Objects) break;
      SkipSpace();
      std::optional<TPdfObject> value;
      if (!(At(p_) == '>' && At(p_ + 1) == '>')) value = Value(depth + 1);
      if (objects_ > limits_.Objects) break;
      entries.emplace_back(std::move(key), value ? std::move(*value) : TPdfObject{});
    }
    return TPdfObject::Dict(std::move(entries), static_cast<int64_t>(start));
  }

  std::string_view d_;
  std::size_t p_;
  const TParseLimits& limits_;
  std::size_t objects_ = 0;
};

}  // namespace

std::optional<TParsed> ParseObject(std::string_view data, std::size_t at,
                                   const TParseLimits& limits) {
  if (at > data.size()) return std::nullopt;
  Parser parser(data, at, limits);
  std::optional<TPdfObject> object = parser.Value(0);
  if (!object) return std::nullopt;
  return TParsed{std::move(*object), parser.Position()};
}

}  // namespace paginor
