// What an embedded font program says of its own encoding, read with FreeType: the names of
// the glyphs that a CFF (Type1C) or Type 1 program puts at each one-byte code, and those a
// symbolic TrueType program's (3,0) or (1,0) character map reaches.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>

namespace paginor {

// Code -> glyph name of the program's built-in encoding; empty when the program cannot be
// read, uses the standard encoding, or names no glyphs. A TrueType glyph without a name that
// the (3,1) map gives a character is named "uniXXXX".
std::map<int, std::string> ProgramEncodingNames(std::string_view program);

// Glyph -> character, from the program's Unicode character map ((3,10), (3,1) or (0,x)); where
// several characters reach one glyph, the smallest. Empty when there is none.
std::unordered_map<uint32_t, char32_t> ProgramGlyphCharacters(std::string_view program);

}  // namespace paginor
