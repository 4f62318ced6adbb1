// The modern reader's filters: ASCIIHex and RunLength decode within the limit and a cut limit
// gives a prefix of the whole; a chain read from any dictionary decodes every step within it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "pdf/filter_registry.h"
#include "pdf/more_filters.h"

namespace {

template <typename Decode>
void CheckPrefixes(Decode decode, const std::string& bytes, std::size_t cut_at) {
  const std::size_t limit = 1 << 20;
  bool reached = false;
  const std::string whole = decode(bytes, limit, &reached);
  FUZZ_CHECK(whole.size() <= limit);
  const std::string cut = decode(bytes, cut_at, &reached);
  FUZZ_CHECK(cut == whole.substr(0, cut_at));
  if (whole.size() > cut_at) FUZZ_CHECK(reached);
}

// Blank-separated tokens, as the dictionary reader gives them.
std::vector<std::string> Tokens(std::string_view text) {
  std::vector<std::string> tokens;
  std::string token;
  for (const char c : text) {
    if (c == ' ' || c == '\n') {
      if (!token.empty()) tokens.push_back(token);
      token.clear();
    } else {
      token += c;
    }
  }
  if (!token.empty()) tokens.push_back(token);
  return tokens;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t cut_at = size % 1009;
  CheckPrefixes(
      [](std::string_view d, std::size_t l, bool* r) { return paginor::DecodeASCIIHex(d, l, r); },
      bytes, cut_at);
  CheckPrefixes(
      [](std::string_view d, std::size_t l, bool* r) { return paginor::DecodeRunLength(d, l, r); },
      bytes, cut_at);
  // A RunLength repeat gives at most 128 bytes for two, a literal no more than it holds.
  FUZZ_CHECK(paginor::DecodeRunLength(bytes).size() <= size * 64 + 1);
  FUZZ_CHECK(paginor::DecodeASCIIHex(bytes).size() <= size / 2 + 1);

  paginor::fuzz::TFuzzInput input(data, size);
  const std::size_t split = input.In(0, 512);
  const std::string_view text = input.Take(split);
  const std::vector<std::string> words = Tokens(text);
  std::vector<std::string> filter{"/Filter"};
  filter.insert(filter.end(), words.begin(), words.end());
  FUZZ_CHECK(paginor::ReadFilterChain(filter).size() <= words.size());
  // The same text as the modern reader's stream dictionary: filters, then parameters.
  const std::size_t middle = text.size() / 2;
  const std::string dict = "<< /Filter " + std::string(text.substr(0, middle)) + " /DecodeParms " +
                           std::string(text.substr(middle)) + " >>";
  std::vector<paginor::TFilterStep> chain;
  if (const auto parsed = paginor::ParseObject(dict, 0)) {
    static const paginor::TPdfObject kNull;
    chain = paginor::FilterChainOf(parsed->Object,
                                   [](const paginor::TPdfObject& o) -> const paginor::TPdfObject& {
                                     return o.IsRef() ? kNull : o;
                                   });
  }
  FUZZ_CHECK(chain.size() <= dict.size());
  std::string stream(input.Rest());
  const std::size_t limit = 1 << 18;
  for (const paginor::TFilterStep& step : chain) {
    if (auto decoded = paginor::TFilterRegistry::Modern().Decode(step, stream, limit)) {
      FUZZ_CHECK(decoded->size() <= limit);
      stream = std::move(*decoded);
    }
  }
  paginor::StreamCryptFilter(chain);
  return 0;
}
