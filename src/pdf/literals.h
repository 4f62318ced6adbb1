// The small conversions that turn PDF tokens into values. All are pure and locale-free.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace paginor {

// "0".."9", "A".."F" and "a".."f" give their value; every other byte gives 0.
int HexDigitValue(unsigned char ch);

// A number with the full stop as decimal point, whatever the locale: optional blanks, sign,
// digits with an optional fraction, an optional exponent, optional blanks. Nothing else.
std::optional<double> ParseNumber(std::string_view s);

// An optionally signed decimal integer that fits 32 bits; nothing else converts.
std::optional<int32_t> ParseInt32(std::string_view s);
// The same for 64 bits (used where a file writes 32-bit values unsigned, like /P).
std::optional<int64_t> ParseInt64(std::string_view s);

// "(abc)" becomes "abc": the first and last characters go when s is longer than one
// character and starts with "(".
std::string StripParens(std::string_view s);

// Resolves the escapes of a literal string's body. Octal escapes take exactly three digits;
// an incomplete one is dropped together with the byte that cut it short.
std::string UnescapeLiteral(std::string_view s);

// Decodes hexadecimal digit pairs; a pair of value 0 gives no byte, an odd last digit is dropped.
std::string DecodeHexString(std::string_view s);

// Decodes hexadecimal digit pairs keeping every byte (zero included); an odd last digit is
// dropped. This is how identifiers and password hashes written as <...> are read.
std::string DecodeHexBytes(std::string_view digits);

// The decimal digits of k, left-padded with "0" to at least three characters.
std::string PadNumber3(int k);

}  // namespace paginor
