// The modern reader's filters: /ASCIIHexDecode and /RunLengthDecode, and the filter chain of a
// stream with its /DecodeParms (predictors of Flate and LZW, the name of a /Crypt filter).
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/filters.h"
#include "pdf/object.h"
#include "pdf/predictor.h"

namespace paginor {

// Hexadecimal digit pairs up to ">"; blanks and other bytes are skipped, a last lone digit
// counts as followed by 0.
std::string DecodeASCIIHex(std::string_view data, std::size_t limit = kMaxInflatedSize,
                           bool* limit_reached = nullptr);
// Runs of length bytes: 0 to 127 copy that many bytes plus one, 129 to 255 repeat the next byte
// 257 minus that many times, 128 ends the data.
std::string DecodeRunLength(std::string_view data, std::size_t limit = kMaxInflatedSize,
                            bool* limit_reached = nullptr);

// One filter of a stream's chain with its parameters.
struct TFilterStep {
  std::string Name;  // as written, with its "/"
  TPredictorParams Predictor;
  bool EarlyChange = true;              // of an LZW filter
  std::string CryptName = "/Identity";  // of a /Crypt filter
};

// The classic reader's chain from the tokens of the /Filter entry (with its key): a name or an
// array of names, without parameters.
std::vector<TFilterStep> ReadFilterChain(const std::vector<std::string>& filter);

// What an object stands for: the object a reference names, else the object itself.
using TResolve = std::function<const TPdfObject&(const TPdfObject&)>;

// The modern reader's chain from a stream dictionary's /Filter (a name or an array of names)
// and /DecodeParms (a dictionary, null or an array of them, each possibly a reference).
std::vector<TFilterStep> FilterChainOf(const TPdfObject& dict, const TResolve& resolve);

// The name of the crypt filter that decrypts the stream: the /Name of a leading /Crypt filter;
// empty when the stream has none and the handler's default applies.
std::string StreamCryptFilter(const std::vector<TFilterStep>& chain);

}  // namespace paginor
