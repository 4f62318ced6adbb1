// Widths of the standard fonts (Helvetica, Times, Courier and their styles), which files may
// name without /Widths: text is placed with them rather than with the measuring font, so that
// where words end does not depend on the font the user chose.
#pragma once

#include <optional>
#include <string_view>

namespace paginor {

// The advance of Windows-1252 character c in the font named base_font (a subset prefix such as
// "ABCDEF+" is ignored), in thousandths of an em. Fonts of other names are taken for Helvetica,
// as viewers do; nothing for a character the font lacks.
std::optional<double> StandardWidth(std::string_view base_font, unsigned char c);

}  // namespace paginor
