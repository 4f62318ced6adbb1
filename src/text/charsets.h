// The glyph table that relates the four standard Latin encodings and the glyph names to the
// output character set, WinAnsiEncoding (Windows-1252).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace paginor {

enum TEncodingId : uint8_t {
  StandardEncoding = 0,
  MacRomanEncoding = 1,
  WinAnsiEncoding = 2,
  PDFDocEncoding = 3,
};

// The code of the first row whose from-column holds code, in the to-column; code itself
// when no row does. A missing code is stored as 0, so 0 finds the first row without a code
// in the from-column (StandardEncoding 0 gives 193, the row "Aacute").
uint8_t ConvertCode(uint8_t code, TEncodingId from, TEncodingId to);

// The WinAnsiEncoding code of the first row named name, if that row has one.
std::optional<uint8_t> GlyphNameToWinAnsi(std::string_view name);

}  // namespace paginor
