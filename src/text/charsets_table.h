#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace paginor {

struct TGlyphRow {
  std::string_view GlyphName;    // without the leading "/"
  std::array<uint8_t, 4> Codes;  // by TEncodingId; 0: the encoding has no code for the glyph
};

constexpr std::size_t kGlyphRowCount = 230;
extern const std::array<TGlyphRow, kGlyphRowCount> kGlyphRows;

}  // namespace paginor
