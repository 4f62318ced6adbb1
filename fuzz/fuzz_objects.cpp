// The modern reader's object parser over any bytes: an object at every offset ends inside the
// data, after where it began, and within the limits of nesting and size.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "pdf/object.h"

namespace {

std::size_t CountObjects(const paginor::TPdfObject& object, int depth) {
  FUZZ_CHECK(depth <= 9);
  std::size_t count = 1;
  for (const paginor::TPdfObject& item : object.Items())
    count += CountObjects(item, depth + 1);
  for (const auto& entry : object.Entries())
    count += CountObjects(entry.second, depth + 1);
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  paginor::TParseLimits limits;
  limits.Depth = 8;
  limits.Objects = 4096;
  for (std::size_t at = 0; at < size; at += 1 + at / 8) {
    const auto parsed = paginor::ParseObject(bytes, at, limits);
    if (!parsed) continue;
    FUZZ_CHECK(parsed->End > at && parsed->End <= size);
    FUZZ_CHECK(CountObjects(parsed->Object, 0) <= limits.Objects + 1);
  }
  return 0;
}
