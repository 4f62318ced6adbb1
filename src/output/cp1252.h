// Windows-1252 <-> Unicode: the one place where the document's 8-bit text meets Unicode.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace paginor {

// The code point of a Windows-1252 byte. The bytes 81 8D 8F 90 9D, which the code page leaves
// undefined, stand for the C1 controls of the same number, as Windows converts them.
char32_t Cp1252ToUnicode(unsigned char c);
// The byte for a code point, or nothing when Windows-1252 has no character for it.
std::optional<unsigned char> UnicodeToCp1252(char32_t u);

std::string Cp1252ToUtf8(std::string_view text);
std::u32string Cp1252ToUtf32(std::string_view text);
// Characters without a Windows-1252 byte, and bytes that are not valid UTF-8, become '?'.
std::string Utf8ToCp1252(std::string_view text);

}  // namespace paginor
