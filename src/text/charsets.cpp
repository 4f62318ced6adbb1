#include "text/charsets.h"

#include <array>

#include "text/charsets_table.h"

namespace paginor {

namespace {

// ConvertCode is asked for every shown character: the first matching row of each code and
// column is found once.
struct ConversionTables {
  // by from-encoding: code -> WinAnsiEncoding code
  std::array<std::array<uint8_t, 256>, 4> to_win_ansi{};

  ConversionTables() {
    for (std::size_t from = 0; from < 4; ++from) {
      std::array<bool, 256> seen{};
      for (int code = 0; code < 256; ++code)
        to_win_ansi[from][code] = static_cast<uint8_t>(code);
      for (const TGlyphRow& row : kGlyphRows) {
        const uint8_t code = row.Codes[from];
        if (seen[code]) continue;  // the earlier row wins
        seen[code] = true;
        to_win_ansi[from][code] = row.Codes[WinAnsiEncoding];
      }
    }
  }
};

const ConversionTables& Tables() {
  static const ConversionTables tables;
  return tables;
}

}  // namespace

uint8_t ConvertCode(uint8_t code, TEncodingId from, TEncodingId to) {
  if (from > PDFDocEncoding || to > PDFDocEncoding) return code;
  if (to == WinAnsiEncoding) return Tables().to_win_ansi[from][code];
  for (const TGlyphRow& row : kGlyphRows) {
    if (row.Codes[from] == code) return row.Codes[to];
  }
  return code;
}

std::optional<uint8_t> GlyphNameToWinAnsi(std::string_view name) {
  for (const TGlyphRow& row : kGlyphRows) {
    if (row.GlyphName != name) continue;
    if (row.Codes[WinAnsiEncoding] == 0) return std::nullopt;
    return row.Codes[WinAnsiEncoding];
  }
  return std::nullopt;
}

}  // namespace paginor
