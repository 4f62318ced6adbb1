// UTF-8, the encoding of the document's text and of the plain text file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace paginor {

// Appends the UTF-8 bytes of u; a surrogate or a value beyond U+10FFFF, which UTF-8 cannot
// carry, becomes '?'.
void AppendUtf8(std::string& out, char32_t u);
std::string ToUtf8(std::u32string_view text);

// Decodes one UTF-8 sequence at text[i] (i < text.size()), advancing i; nothing for a
// malformed sequence, of which one byte is consumed.
std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& i);
// text itself when it is valid UTF-8, else a copy in storage with every malformed byte a '?'.
std::string_view ValidUtf8(std::string_view text, std::string& storage);
// Every malformed sequence becomes '?'.
std::u32string FromUtf8(std::string_view text);

}  // namespace paginor
