// The characters of the glyphs of an embedded TrueType program, read backwards from its
// Unicode character map: what a CID-keyed TrueType font without /ToUnicode shows.
#pragma once

#include <cstdint>
#include <string_view>
#include <unordered_map>

namespace paginor {

// Glyph index -> the character that the program's (3,10), (3,1) or (0,x) cmap maps to it (the
// smallest such character); empty when the program has none or is damaged.
std::unordered_map<uint32_t, char32_t> GlyphCharacters(std::string_view program);

}  // namespace paginor
