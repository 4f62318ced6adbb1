#include <algorithm>
#include <cstdint>

#include "pdf/filters.h"

namespace paginor {

namespace {

void AppendGroup(std::string& out, const int* digits, int bytes) {
  uint64_t value = 0;
  for (int i = 0; i < 5; ++i)
    value = value * 85 + static_cast<uint64_t>(digits[i]);
  // Digits above "u" (the accepted "z" inside a group) can overflow 32 bits; keep the low ones.
  const auto word = static_cast<uint32_t>(value);
  for (int i = 0; i < bytes; ++i)
    out += static_cast<char>((word >> (24 - 8 * i)) & 0xFF);
}

}  // namespace

std::string DecodeASCII85(std::string_view data, std::size_t limit, bool* limit_reached) {
  if (limit_reached != nullptr) *limit_reached = false;
  // Trailing line ends, and the "~>" before them, are not part of the data.
  std::size_t end = data.size();
  while (end > 0 && (data[end - 1] == '\r' || data[end - 1] == '\n'))
    --end;
  if (end >= 2 && data[end - 2] == '~' && data[end - 1] == '>') end -= 2;

  std::string out;
  out.reserve(std::min(end / 5 * 4 + 4, limit));
  int digits[5];
  int n = 0;
  for (std::size_t i = 0; i < end; ++i) {
    // "z" makes four bytes of one: the limit is checked as the output grows.
    if (out.size() > limit) {
      if (limit_reached != nullptr) *limit_reached = true;
      out.resize(limit);
      return out;
    }
    const auto ch = static_cast<unsigned char>(data[i]);
    if (ch == 'z' && n == 0) {
      out.append(4, '\0');
      continue;
    }
    if (ch == 'z') {
      digits[n++] = 'z' - 33;
    } else if (ch >= '!' && ch <= 'u') {
      digits[n++] = ch - 33;
    } else {
      continue;  // white space and everything else is skipped
    }
    if (n == 5) {
      AppendGroup(out, digits, 4);
      n = 0;
    }
  }
  if (n >= 2) {
    const int kept = n;
    while (n < 5)
      digits[n++] = 84;
    AppendGroup(out, digits, kept - 1);
  }
  if (out.size() > limit) {
    if (limit_reached != nullptr) *limit_reached = true;
    out.resize(limit);
  }
  return out;
}

}  // namespace paginor
