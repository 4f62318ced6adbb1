// Widths of the standard fonts (Helvetica, Times, Courier and their styles), which files may
// name without /Widths: text is placed with them rather than with the measuring font, so that
// where words end does not depend on the font the user chose.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace paginor {

// The widths of the standard font that a /BaseFont names (a subset prefix such as "ABCDEF+" is
// ignored); fonts of other names are taken for Helvetica, as viewers do.
class TStandardWidths {
 public:
  explicit TStandardWidths(std::string_view base_font);
  // The advance of Windows-1252 character c in thousandths of an em; nothing for a character
  // the font lacks.
  std::optional<double> Of(unsigned char c) const;

 private:
  const std::array<uint16_t, 224>* table_ = nullptr;  // nullptr: every character 600 wide
};

inline std::optional<double> StandardWidth(std::string_view base_font, unsigned char c) {
  return TStandardWidths(base_font).Of(c);
}

}  // namespace paginor
