// Flate: damaged data give what inflated before the damage, a cut limit a prefix of the whole,
// and any bytes compressed inflate back to them.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "pdf/filters.h"

namespace {

std::string Compress(const std::string& data, int level) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  std::string out(size, '\0');
  FUZZ_CHECK(compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                       reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()),
                       level) == Z_OK);
  out.resize(size);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  // Small limits, so that short inputs that inflate far reach them.
  const std::size_t limit = 1 << 16;
  bool reached = false;
  const std::string whole = paginor::DecodeFlate(bytes, limit, &reached);
  FUZZ_CHECK(whole.size() <= limit);
  FUZZ_CHECK(!reached || whole.size() == limit);
  const std::size_t cut_at = size % 251;
  const std::string cut = paginor::DecodeFlate(bytes, cut_at, &reached);
  FUZZ_CHECK(cut == whole.substr(0, cut_at));
  if (whole.size() < limit) FUZZ_CHECK(reached == (whole.size() > cut_at));

  const std::string packed = Compress(bytes, size % 10);
  FUZZ_CHECK(paginor::DecodeFlate(packed) == bytes);
  const std::string prefix = paginor::DecodeFlate(packed, cut_at, &reached);
  FUZZ_CHECK(prefix == bytes.substr(0, cut_at));
  FUZZ_CHECK(reached == (size > cut_at));
  // A stream cut short keeps what it held.
  const std::string part =
      paginor::DecodeFlate(std::string_view(packed).substr(0, packed.size() / 2));
  FUZZ_CHECK(part == bytes.substr(0, part.size()));
  return 0;
}
