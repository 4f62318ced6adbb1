#include "text/unicode_text.h"

#include <algorithm>
#include <cctype>

#include "output/cp1252.h"
#include "text/glyph_list_table.h"

namespace paginor {

namespace {

const char* Ligature(char32_t c) {
  switch (c) {
    case 0xFB00:
      return "ff";
    case 0xFB01:
      return "fi";
    case 0xFB02:
      return "fl";
    case 0xFB03:
      return "ffi";
    case 0xFB04:
      return "ffl";
    case 0xFB05:
      return "st";  // long s and t
    case 0xFB06:
      return "st";
    default:
      return nullptr;
  }
}

bool TypographicSpace(char32_t c) {
  return (c >= 0x2000 && c <= 0x200A) || c == 0x202F || c == 0x00A0;
}

std::optional<uint32_t> Hex(std::string_view digits) {
  if (digits.empty() || digits.size() > 6) return std::nullopt;
  uint32_t value = 0;
  for (const char c : digits) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
    value = value * 16 +
            static_cast<uint32_t>(std::isdigit(static_cast<unsigned char>(c))
                                      ? c - '0'
                                      : std::toupper(static_cast<unsigned char>(c)) - 'A' + 10);
  }
  return value;
}

bool Valid(uint32_t u) {
  return u < 0xD800 || (u > 0xDFFF && u <= 0x10FFFF);
}

// The plain letter or digit behind a mathematical alphanumeric symbol (bold, italic, script,
// double-struck... A to Z, a to z, 0 to 9) or a full-width form, as compatibility
// normalisation gives it; 0 for other characters.
char32_t CompatibilityLetter(char32_t c) {
  if (c >= 0x1D400 && c <= 0x1D6A3) {
    const auto k = static_cast<char32_t>((c - 0x1D400) % 52);
    return k < 26 ? U'A' + k : U'a' + (k - 26);
  }
  if (c >= 0x1D7CE && c <= 0x1D7FF) return U'0' + static_cast<char32_t>((c - 0x1D7CE) % 10);
  if (c >= 0xFF01 && c <= 0xFF5E) return c - 0xFF01 + U'!';
  return 0;
}

}  // namespace

std::string UnicodeToWinAnsi(std::u32string_view text, int& unmapped) {
  std::string out;
  for (const char32_t c : text) {
    if (TypographicSpace(c)) {
      out += ' ';
    } else if (const char* letters = Ligature(c)) {
      out += letters;
    } else if (const auto code = UnicodeToCp1252(c)) {
      out += static_cast<char>(*code);
    } else if (const char32_t letter = CompatibilityLetter(c)) {
      out += static_cast<char>(letter);
    } else {
      out += '?';
      ++unmapped;
    }
  }
  return out;
}

std::u32string FoldToWindows1252(std::u32string_view text, int& unmapped) {
  return Cp1252ToUtf32(UnicodeToWinAnsi(text, unmapped));
}

std::u32string OutputCharacters(std::u32string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (const char32_t c : text) {
    if (TypographicSpace(c)) {
      out += U' ';
    } else if (const char* letters = Ligature(c)) {
      while (*letters != 0)
        out += static_cast<char32_t>(*letters++);
    } else {
      out += c;
    }
  }
  return out;
}

std::optional<std::u32string> GlyphListCharacters(std::string_view name) {
  const auto it = std::lower_bound(
      kGlyphList.begin(), kGlyphList.end(), name,
      [](const TGlyphListEntry& entry, std::string_view n) { return entry.name < n; });
  if (it == kGlyphList.end() || it->name != name) return std::nullopt;
  return std::u32string(it->characters);
}

std::optional<std::u32string> GlyphNameToUnicode(std::string_view name) {
  if (name == "ff") return std::u32string(U"ff");
  if (name == "fi") return std::u32string(U"fi");
  if (name == "fl") return std::u32string(U"fl");
  if (name == "ffi") return std::u32string(U"ffi");
  if (name == "ffl") return std::u32string(U"ffl");
  if (name.starts_with("uni") && name.size() >= 7 && (name.size() - 3) % 4 == 0) {
    std::u32string out;
    for (std::size_t i = 3; i < name.size(); i += 4) {
      const auto u = Hex(name.substr(i, 4));
      if (!u || !Valid(*u)) return std::nullopt;
      out += static_cast<char32_t>(*u);
    }
    return out;
  }
  if (name.starts_with('u') && name.size() >= 5 && name.size() <= 7) {
    const auto u = Hex(name.substr(1));
    if (u && Valid(*u)) return std::u32string(1, static_cast<char32_t>(*u));
  }
  return std::nullopt;
}

}  // namespace paginor
