#include "output/utf8.h"

namespace paginor {

void AppendUtf8(std::string& out, char32_t u) {
  if (u < 0x80) {
    out += static_cast<char>(u);
  } else if (u < 0x800) {
    out += static_cast<char>(0xC0 | (u >> 6));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else if (u < 0x10000) {
    if (u >= 0xD800 && u <= 0xDFFF) {
      out += '?';
      return;
    }
    out += static_cast<char>(0xE0 | (u >> 12));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else if (u <= 0x10FFFF) {
    out += static_cast<char>(0xF0 | (u >> 18));
    out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else {
    out += '?';
  }
}

std::string ToUtf8(std::u32string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char32_t u : text) {
    if (u < 0x80) {
      out += static_cast<char>(u);  // the common case, without the call
    } else {
      AppendUtf8(out, u);
    }
  }
  return out;
}

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

std::string_view ValidUtf8(std::string_view text, std::string& storage) {
  std::size_t i = 0;
  while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80)
    ++i;
  for (std::size_t at = i; at < text.size(); at = i) {
    if (NextCodePoint(text, i)) continue;
    storage.assign(text.substr(0, at));
    storage += '?';
    while (i < text.size()) {
      const std::size_t start = i;
      if (NextCodePoint(text, i)) {
        storage.append(text.substr(start, i - start));
      } else {
        storage += '?';
      }
    }
    return storage;
  }
  return text;
}

std::u32string FromUtf8(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();)
    out += NextCodePoint(text, i).value_or(U'?');
  return out;
}

}  // namespace paginor
