// The picture loaders of the imaging layer: JPEG (as /DCTDecode data and through OpenDib) and
// TIFF, each giving a well-formed bitmap or none; what they give the writers can save.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "image_checks.h"
#include "images/readers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  paginor::TDIB dib;
  paginor::ReadJpeg(dib, bytes);
  paginor::fuzz::CheckBitmap(dib);
  if (dib.HasBits()) FUZZ_CHECK(dib.BitCount() == 24);
  // The header check that keeps a picture's place never refuses one that decodes, and it says
  // the decoded size.
  const auto frame = paginor::ReadJpegFrame(bytes);
  if (dib.HasBits()) {
    FUZZ_CHECK(frame && frame->Width == dib.Width() && frame->Height == dib.Height());
  }
  // A thumbnail's decoding: well-formed, never larger than the picture.
  paginor::TDIB small;
  paginor::ReadJpegScaled(small, bytes, 80, 80);
  paginor::fuzz::CheckBitmap(small);
  if (small.HasBits()) {
    FUZZ_CHECK(frame && small.Width() <= frame->Width && small.Height() <= frame->Height);
  }
  paginor::fuzz::WriteInEveryFormat(dib);
  // OpenDib tells JPEG and TIFF apart by their first bytes.
  paginor::TDIB opened;
  paginor::OpenDib(opened, bytes);
  paginor::fuzz::CheckBitmap(opened);
  if (bytes.starts_with("\xFF\xD8")) {
    FUZZ_CHECK(opened.HasBits() == dib.HasBits());
  } else if (!bytes.starts_with("II*") && !bytes.starts_with(std::string_view("MM\0*", 4))) {
    FUZZ_CHECK(!opened.HasBits());
  }
  if (!bytes.starts_with("\xFF\xD8")) paginor::fuzz::WriteInEveryFormat(opened);
  return 0;
}
