// The content stream filters. Each takes the encoded bytes and returns the decoded ones;
// damaged data yield what could be decoded, never an error.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace paginor {

// No single stream inflates past this; what was inflated up to here is kept.
constexpr std::size_t kMaxInflatedSize = std::size_t{256} << 20;

std::string DecodeASCII85(std::string_view data);
std::string DecodeFlate(std::string_view data, std::size_t limit = kMaxInflatedSize);
// /LZWDecode as PDF defines it: 9 to 12 bit codes, clear 256, end of data 257, early change.
std::string DecodeLZW(std::string_view data, std::size_t limit = kMaxInflatedSize);

}  // namespace paginor
