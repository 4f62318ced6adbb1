#include "output/cp1252.h"

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

void AppendUtf8(std::string& out, char32_t u) {
  if (u < 0x80) {
    out += static_cast<char>(u);
  } else if (u < 0x800) {
    out += static_cast<char>(0xC0 | (u >> 6));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else {
    // Every code point of the code page lies in the Basic Multilingual Plane.
    out += static_cast<char>(0xE0 | (u >> 12));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  }
}

// Decodes one UTF-8 sequence at text[i], advancing i; nothing for a malformed sequence, of
// which one byte is consumed.
std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& i) {
  const auto lead = static_cast<unsigned char>(text[i++]);
  if (lead < 0x80) return lead;
  int extra = 0;       // continuation bytes
  char32_t least = 0;  // the smallest code point that needs this many bytes
  if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1;
    least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2;
    least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3;
    least = 0x10000;
  } else {
    return std::nullopt;
  }
  char32_t u = lead & (0x3Fu >> extra);
  if (text.size() - i < static_cast<std::size_t>(extra)) return std::nullopt;
  for (int k = 0; k < extra; ++k) {
    const auto c = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
    if ((c & 0xC0) != 0x80) return std::nullopt;
    u = (u << 6) | (c & 0x3F);
  }
  if (u < least || u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF)) return std::nullopt;
  i += static_cast<std::size_t>(extra);
  return u;
}

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
