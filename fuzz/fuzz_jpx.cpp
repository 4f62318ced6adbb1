// JPEG 2000 data of any kind, as a /JPXDecode picture of any colour space: a bitmap within the
// cap, or none.
#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "image_checks.h"
#include "images/jpx_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  paginor::fuzz::TFuzzInput input(data, size);
  const uint8_t flags = input.Byte();
  paginor::TImageAttributes a;
  const paginor::TColorFamily families[] = {
      paginor::TColorFamily::Unknown, paginor::TColorFamily::Gray, paginor::TColorFamily::Rgb,
      paginor::TColorFamily::Cmyk, paginor::TColorFamily::Indexed};
  a.Family = families[flags % 5];
  a.Base = paginor::TColorFamily::Rgb;
  a.HiVal = 255;
  a.Lookup = std::string(input.Take(input.In(0, 768)));
  // A small cap now and then, so that the header check is reached too.
  const int64_t max_bytes = (flags & 0x80) != 0 ? input.In(0, 20000) : paginor::kMaxBitmapBytes;
  paginor::TDIB dib;
  paginor::ReadJpx(dib, input.Rest(), a, max_bytes);
  paginor::fuzz::CheckBitmap(dib);
  if (dib.HasBits()) {
    FUZZ_CHECK(dib.BitCount() == 8 || dib.BitCount() == 24);
    FUZZ_CHECK(int64_t{dib.RowBytes()} * dib.Height() <= max_bytes);
  }
  paginor::fuzz::WriteInEveryFormat(dib);
  return 0;
}
