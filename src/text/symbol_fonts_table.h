// The built-in encodings of the standard fonts Symbol and ZapfDingbats: for each code, the
// character of its glyph (0: none) and its width in thousandths of an em (0: no glyph).
#pragma once

#include <array>
#include <cstdint>

namespace paginor {

struct TSymbolCode {
  char32_t character;
  uint16_t width;
};

extern const std::array<TSymbolCode, 256> kSymbolCodes;
extern const std::array<TSymbolCode, 256> kDingbatsCodes;

}  // namespace paginor
