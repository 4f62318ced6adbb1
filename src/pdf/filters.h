// The content stream filters. Each takes the encoded bytes and returns the decoded ones;
// damaged data yield what could be decoded, never an error.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace paginor {

// No single stream decodes past this; what was decoded up to here is kept.
constexpr std::size_t kMaxInflatedSize = std::size_t{256} << 20;

// Each decoder stops at `limit` bytes of output; limit_reached, when given, says whether the
// data would have given more.
std::string DecodeASCII85(std::string_view data, std::size_t limit = kMaxInflatedSize,
                          bool* limit_reached = nullptr);
std::string DecodeFlate(std::string_view data, std::size_t limit = kMaxInflatedSize,
                        bool* limit_reached = nullptr);
// How many bytes DecodeFlate gives for the data, inflated in small pieces that are not kept.
std::size_t CountFlate(std::string_view data, std::size_t limit = kMaxInflatedSize);
// /LZWDecode as PDF defines it: 9 to 12 bit codes, clear 256, end of data 257; with
// early_change (/EarlyChange 1, the default) the code width grows one code early.
std::string DecodeLZW(std::string_view data, std::size_t limit = kMaxInflatedSize,
                      bool* limit_reached = nullptr, bool early_change = true);

}  // namespace paginor
