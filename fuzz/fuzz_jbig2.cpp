// Embedded JBIG2 streams and globals of any kind: a 1-bit bitmap within the decoder's budget,
// or none.
#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "image_checks.h"
#include "images/jbig2_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  paginor::fuzz::TFuzzInput input(data, size);
  const uint8_t flags = input.Byte();
  const std::string_view globals = input.Take((flags & 1) != 0 ? input.In(0, 4096) : 0);
  // A small budget now and then, so that refused allocations are reached too.
  const int64_t max_bytes = (flags & 2) != 0 ? input.In(0, 60000) : paginor::kMaxBitmapBytes;
  paginor::TDIB dib;
  paginor::ReadJbig2(dib, input.Rest(), globals, (flags & 4) != 0, max_bytes);
  paginor::fuzz::CheckBitmap(dib);
  if (dib.HasBits()) {
    FUZZ_CHECK(dib.BitCount() == 1);
    FUZZ_CHECK(int64_t{dib.RowBytes()} * dib.Height() <= max_bytes);
  }
  paginor::fuzz::WriteInEveryFormat(dib);
  return 0;
}
