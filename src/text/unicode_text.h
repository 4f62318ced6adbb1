// The characters that fonts name (ToUnicode maps, glyph names such as uni00E4) as the document
// keeps them, and folded into Windows-1252 for the classic character set.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace paginor {

// Every character with a Windows-1252 code gets it; ligatures become their letters;
// typographic spaces a blank; anything else "?", counted in unmapped.
std::string UnicodeToWinAnsi(std::u32string_view text, int& unmapped);
// The same, kept as Unicode: the document's text when it is held to Windows-1252.
std::u32string FoldToWindows1252(std::u32string_view text, int& unmapped);

// Every character as it is, except ligatures, which become their letters, and typographic
// spaces, which become a blank, so that words and gaps read as with any other font.
std::u32string OutputCharacters(std::u32string_view text);

// The characters a glyph name stands for beyond the Latin table: "uniXXXX" (one or more
// groups of four hex digits), "uXXXX" to "uXXXXXX", and the ligature names ff fi fl ffi ffl.
std::optional<std::u32string> GlyphNameToUnicode(std::string_view name);

// The characters the Adobe Glyph List gives a glyph name ("lslash", "afii10017", "Omega").
std::optional<std::u32string> GlyphListCharacters(std::string_view name);

}  // namespace paginor
