// ASCII85: any data decodes within the limit, a cut limit gives a prefix of the whole, and the
// encoding of any bytes decodes back to them.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "pdf/filters.h"

namespace {

std::string Encode(const std::string& data) {
  std::string out;
  for (std::size_t i = 0; i < data.size(); i += 4) {
    const std::size_t n = std::min<std::size_t>(4, data.size() - i);
    uint32_t value = 0;
    for (std::size_t k = 0; k < 4; ++k)
      value = value << 8 | (k < n ? static_cast<unsigned char>(data[i + k]) : 0u);
    if (n == 4 && value == 0) {
      out += 'z';
      continue;
    }
    char group[5];
    for (int k = 4; k >= 0; --k) {
      group[k] = static_cast<char>('!' + value % 85);
      value /= 85;
    }
    out.append(group, n + 1);
    if (i % 64 == 0) out += '\n';  // line ends inside the data are skipped
  }
  return out + "~>\r\n";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  bool reached = true;
  const std::string whole = paginor::DecodeASCII85(bytes, SIZE_MAX, &reached);
  FUZZ_CHECK(!reached);
  FUZZ_CHECK(whole.size() <= 4 * size);
  const std::size_t limit = size % 97;
  const std::string cut = paginor::DecodeASCII85(bytes, limit, &reached);
  FUZZ_CHECK(cut.size() <= limit);
  FUZZ_CHECK(cut == whole.substr(0, limit));
  FUZZ_CHECK(reached == (whole.size() > limit));
  FUZZ_CHECK(paginor::DecodeASCII85(Encode(bytes)) == bytes);
  return 0;
}
