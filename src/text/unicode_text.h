// Unicode into the document's Windows-1252 characters, for fonts that say which characters
// their codes are (ToUnicode maps, glyph names such as uni00E4).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace paginor {

// Every character with a Windows-1252 code gets it; ligatures become their letters;
// typographic spaces a blank; anything else "?", counted in unmapped.
std::string UnicodeToWinAnsi(std::u32string_view text, int& unmapped);

// The characters a glyph name stands for beyond the Latin table: "uniXXXX" (one or more
// groups of four hex digits), "uXXXX" to "uXXXXXX", and the ligature names ff fi fl ffi ffl.
std::optional<std::u32string> GlyphNameToUnicode(std::string_view name);

}  // namespace paginor
