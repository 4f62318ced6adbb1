// Truevision TGA, uncompressed, rows bottom first as stored: colour-mapped (type 1) with a
// 24-bit map up to 8 bits, true colour (type 2) above: 24-bit, or 32-bit with opaque alpha.
#include <cstddef>

#include "images/byte_order.h"
#include "images/pixel_access.h"
#include "images/writers.h"

namespace paginor {

namespace {

constexpr int32_t kMaxSide = 65535;
constexpr uint32_t kColourMapped = 1;
constexpr uint32_t kTrueColour = 2;
constexpr uint32_t kAlphaBits = 8;  // descriptor bits 0-3; bit 5 clear: bottom row first

void PutHeader(std::string& out, bool mapped, std::size_t map_length, int32_t width, int32_t height,
               uint32_t pixel_bits, uint32_t descriptor) {
  PutU8(out, 0);  // no image id
  PutU8(out, mapped ? 1 : 0);
  PutU8(out, mapped ? kColourMapped : kTrueColour);
  PutLe16(out, 0);  // first map entry
  PutLe16(out, static_cast<uint32_t>(map_length));
  PutU8(out, mapped ? 24 : 0);
  PutLe16(out, 0);  // origin
  PutLe16(out, 0);
  PutLe16(out, static_cast<uint32_t>(width));
  PutLe16(out, static_cast<uint32_t>(height));
  PutU8(out, pixel_bits);
  PutU8(out, descriptor);
}

// No extension or developer area; the signature marks the file as a version 2 TGA.
void PutFooter(std::string& out) {
  PutLe32(out, 0);
  PutLe32(out, 0);
  out.append("TRUEVISION-XFILE.", 17);
  PutU8(out, 0);
}

std::string EncodeMapped(const TDIB& dib) {
  const std::optional<IndexedPicture> picture = ToIndexed(dib);
  if (!picture) return {};
  std::string out;
  PutHeader(out, true, picture->colors.size(), picture->width, picture->height, 8, 0);
  for (const TRGBQuad& c : picture->colors) {
    PutU8(out, c.Blue);
    PutU8(out, c.Green);
    PutU8(out, c.Red);
  }
  out.append(reinterpret_cast<const char*>(picture->pixels.data()), picture->pixels.size());
  PutFooter(out);
  return out;
}

std::string EncodeTrueColour(const TDIB& dib) {
  const bool alpha = dib.BitCount() == 32;
  std::string out;
  PutHeader(out, false, 0, dib.Width(), dib.Height(), alpha ? 32 : 24, alpha ? kAlphaBits : 0);
  const std::size_t pixel_bytes = alpha ? 4 : 3;
  out.reserve(out.size() + static_cast<std::size_t>(dib.Width()) *
                               static_cast<std::size_t>(dib.Height()) * pixel_bytes);
  for (int32_t y = 0; y < dib.Height(); ++y) {
    for (int32_t x = 0; x < dib.Width(); ++x) {
      const Rgb c = PixelRgb(dib, x, y);
      PutU8(out, c.blue);
      PutU8(out, c.green);
      PutU8(out, c.red);
      if (alpha) PutU8(out, 255);  // the bitmap's fourth byte is unused, not transparency
    }
  }
  PutFooter(out);
  return out;
}

}  // namespace

std::string EncodeTga(const TDIB& dib) {
  if (!IsWritable(dib) || dib.Width() > kMaxSide || dib.Height() > kMaxSide) return {};
  return dib.BitCount() <= 8 ? EncodeMapped(dib) : EncodeTrueColour(dib);
}

}  // namespace paginor
