#include "output/cp1252.h"

#include "output/utf8.h"

#include <array>
#include <cstdint>

namespace paginor {
namespace {

// 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

char32_t Cp1252ToUnicode(unsigned char c) {
  if (c >= 0x80 && c <= 0x9F) return kHighControls[c - 0x80];
  return c;
}

std::optional<unsigned char> UnicodeToCp1252(char32_t u) {
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<unsigned char>(u);
  for (std::size_t k = 0; k < kHighControls.size(); ++k) {
    if (kHighControls[k] == u) return static_cast<unsigned char>(0x80 + k);
  }
  return std::nullopt;
}

std::string Cp1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    AppendUtf8(out, Cp1252ToUnicode(static_cast<unsigned char>(c)));
  return out;
}

std::u32string Cp1252ToUtf32(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (char c : text)
    out += Cp1252ToUnicode(static_cast<unsigned char>(c));
  return out;
}

std::string Utf8ToCp1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::optional<char32_t> u = NextCodePoint(text, i);
    const std::optional<unsigned char> c = u ? UnicodeToCp1252(*u) : std::nullopt;
    out += c ? static_cast<char>(*c) : '?';
  }
  return out;
}

}  // namespace paginor
