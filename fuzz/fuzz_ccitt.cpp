// CCITT fax data of any size and coding into a 1-bit bitmap of exactly that size, or none.
#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "image_checks.h"
#include "images/readers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  paginor::fuzz::TFuzzInput input(data, size);
  paginor::TCcittParams params;
  const uint8_t flags = input.Byte();
  params.K = (flags & 3) == 0 ? -1 : (flags & 3) == 1 ? 0 : 1 + (flags >> 5);
  params.BlackIs1 = (flags & 4) != 0;
  params.EncodedByteAlign = (flags & 8) != 0;
  params.EndOfLine = (flags & 16) != 0;
  // Sizes up to the caps' scale now and then, small ones mostly.
  const bool large = (input.Byte() & 0x0F) == 0;
  const int32_t width = large ? input.In(-2, 60000) : input.In(-2, 300);
  const int32_t height = large ? input.In(-2, 60000) : input.In(-2, 300);
  paginor::TDIB dib;
  paginor::ReadCcitt(dib, width, height, input.Rest(), params);
  paginor::fuzz::CheckBitmap(dib);
  if (dib.HasBits()) {
    FUZZ_CHECK(dib.BitCount() == 1);
    FUZZ_CHECK(dib.Width() == width && dib.Height() == height);
  }
  paginor::fuzz::WriteInEveryFormat(dib);
  return 0;
}
