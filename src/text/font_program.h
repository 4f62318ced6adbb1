// What an embedded font program says of its own encoding, read with FreeType: the names of
// the glyphs that a CFF (Type1C) or Type 1 program puts at each one-byte code, and those a
// symbolic TrueType program's (3,0) or (1,0) character map reaches.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace paginor {

// Code -> glyph name of the program's built-in encoding; empty when the program cannot be
// read, uses the standard encoding, or names no glyphs. A TrueType glyph without a name that
// the (3,1) map gives a character is named "uniXXXX".
std::map<int, std::string> ProgramEncodingNames(std::string_view program);

}  // namespace paginor
