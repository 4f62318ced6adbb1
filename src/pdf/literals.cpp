#include "pdf/literals.h"

#include <charconv>
#include <limits>

namespace paginor {

int HexDigitValue(unsigned char ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
  return 0;
}

namespace {

bool IsDigit(char ch) {
  return ch >= '0' && ch <= '9';
}

template <typename Int>
std::optional<Int> ParseInteger(std::string_view s) {
  std::size_t start = 0;
  bool negative = false;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    negative = s[0] == '-';
    start = 1;
  }
  if (start == s.size()) return std::nullopt;
  // Accumulate negatively so that the most negative value converts too.
  Int value = 0;
  for (std::size_t i = start; i < s.size(); ++i) {
    if (!IsDigit(s[i])) return std::nullopt;
    const Int digit = static_cast<Int>(s[i] - '0');
    if (value < (std::numeric_limits<Int>::min() + digit) / 10) return std::nullopt;
    value = static_cast<Int>(value * 10 - digit);
  }
  if (!negative) {
    if (value == std::numeric_limits<Int>::min()) return std::nullopt;
    value = static_cast<Int>(-value);
  }
  return value;
}

}  // namespace

std::optional<int32_t> ParseInt32(std::string_view s) {
  return ParseInteger<int32_t>(s);
}
std::optional<int64_t> ParseInt64(std::string_view s) {
  return ParseInteger<int64_t>(s);
}

std::optional<double> ParseNumber(std::string_view s) {
  std::size_t i = 0;
  const std::size_t n = s.size();
  while (i < n && s[i] == ' ')
    ++i;
  std::size_t end = n;
  while (end > i && s[end - 1] == ' ')
    --end;
  const std::string_view body = s.substr(i, end - i);
  // Check the grammar by hand; std::from_chars alone would accept "inf", "nan" and hex forms.
  std::size_t k = 0;
  bool negative = false;
  if (k < body.size() && (body[k] == '+' || body[k] == '-')) {
    negative = body[k] == '-';
    ++k;
  }
  const std::size_t mantissa_start = k;
  bool digits = false;
  bool point = false;
  while (k < body.size() && IsDigit(body[k])) {
    ++k;
    digits = true;
  }
  if (k < body.size() && body[k] == '.') {
    ++k;
    point = true;
    while (k < body.size() && IsDigit(body[k])) {
      ++k;
      digits = true;
    }
  }
  if (!digits && !point) return std::nullopt;
  if (k < body.size() && (body[k] == 'e' || body[k] == 'E')) {
    std::size_t e = k + 1;
    if (e < body.size() && (body[e] == '+' || body[e] == '-')) ++e;
    const std::size_t exp_digits = e;
    while (e < body.size() && IsDigit(body[e]))
      ++e;
    if (e == exp_digits) return std::nullopt;
    k = e;
  }
  if (k != body.size()) return std::nullopt;
  if (!digits) return negative ? -0.0 : 0.0;  // a lone decimal point
  double value = 0.0;
  const auto result =
      std::from_chars(body.data() + mantissa_start, body.data() + body.size(), value);
  if (result.ec != std::errc() || result.ptr != body.data() + body.size()) return std::nullopt;
  return negative ? -value : value;
}

std::string StripParens(std::string_view s) {
  if (s.size() > 1 && s[0] == '(') return std::string(s.substr(1, s.size() - 2));
  return std::string(s);
}

std::string UnescapeLiteral(std::string_view s) {
  enum class State { Normal, Escape, Octal1, Octal2 };
  State state = State::Normal;
  int value = 0;
  std::string out;
  out.reserve(s.size());
  for (const char c : s) {
    const auto ch = static_cast<unsigned char>(c);
    const bool octal = ch >= '0' && ch <= '7';
    switch (state) {
      case State::Normal:
        if (ch == '\\') {
          state = State::Escape;
        } else {
          out += c;
        }
        break;
      case State::Escape:
        state = State::Normal;
        switch (ch) {
          case '\\':
          case '(':
          case ')':
            out += c;
            break;
          case 'n':
            out += '\n';
            break;
          case 'r':
            out += '\r';
            break;
          case 't':
            out += '\t';
            break;
          case 'b':
            out += '\b';
            break;
          case 'f':
            out += '\f';
            break;
          default:
            if (octal) {
              value = (ch - '0') * 64;
              state = State::Octal1;
            }
            break;
        }
        break;
      case State::Octal1:
        if (octal) {
          value += (ch - '0') * 8;
          state = State::Octal2;
        } else {
          state = State::Normal;
        }
        break;
      case State::Octal2:
        if (octal) out += static_cast<char>((value + (ch - '0')) % 256);
        state = State::Normal;
        break;
    }
  }
  return out;
}

std::string DecodeHexString(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i + 1 < s.size(); i += 2) {
    const int value = HexDigitValue(static_cast<unsigned char>(s[i])) * 16 +
                      HexDigitValue(static_cast<unsigned char>(s[i + 1]));
    if (value != 0) out += static_cast<char>(value);
  }
  return out;
}

std::string DecodeHexBytes(std::string_view digits) {
  std::string out;
  out.reserve(digits.size() / 2);
  for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
    out += static_cast<char>(HexDigitValue(static_cast<unsigned char>(digits[i])) * 16 +
                             HexDigitValue(static_cast<unsigned char>(digits[i + 1])));
  }
  return out;
}

std::string PadNumber3(int k) {
  std::string digits = std::to_string(k);
  while (digits.size() < 3)
    digits.insert(digits.begin(), '0');
  return digits;
}

}  // namespace paginor
