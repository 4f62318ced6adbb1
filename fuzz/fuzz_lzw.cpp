// LZW: any codes decode within the limit, without reading past the data or the fixed table,
// and a cut limit gives a prefix of the whole.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "pdf/filters.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t limit = 1 << 20;
  bool reached = false;
  const std::string whole = paginor::DecodeLZW(bytes, limit, &reached);
  FUZZ_CHECK(whole.size() <= limit);
  // Each code of at least 9 bits gives at most 4096 bytes.
  FUZZ_CHECK(whole.size() <= (size * 8 / 9 + 1) * 4096);
  const std::size_t cut_at = size % 1009;
  const std::string cut = paginor::DecodeLZW(bytes, cut_at, &reached);
  FUZZ_CHECK(cut == whole.substr(0, cut_at));
  if (whole.size() > cut_at) FUZZ_CHECK(reached);
  return 0;
}
