// ZSoft PCX, version 5: 1-bit pictures as one bit plane with their two colours in the header,
// 4 and 8-bit pictures as 8-bit indices with a 256-colour table at the end, deeper ones as
// red, green and blue planes. Rows go top first, each plane's bytes run-length encoded.
#include <algorithm>
#include <cstddef>

#include "images/byte_order.h"
#include "images/pixel_access.h"
#include "images/run_length.h"
#include "images/writers.h"

namespace paginor {

namespace {

constexpr int32_t kMaxSide = 65535;     // the header stores the last column and row in 16 bits
constexpr std::size_t kMaxRun = 63;     // a count byte holds 6 bits
constexpr uint8_t kCountFlag = 0xC0;    // a byte with both high bits set is a count
constexpr uint8_t kPaletteMarker = 12;  // precedes the table at the end of the file
constexpr uint32_t kDpi = 72;

// Bytes of one plane of one row; readers expect an even number.
std::size_t PlaneBytes(int32_t width, int bits) {
  const std::size_t bytes = (static_cast<std::size_t>(width) * bits + 7) / 8;
  return bytes + bytes % 2;
}

void EncodePlane(std::span<const uint8_t> plane, std::string& out) {
  SplitRuns(
      plane, 1, kMaxRun, kMaxRun,
      [&](std::size_t length, uint8_t value) {
        // A lone byte stands for itself unless it would read as a count.
        if (length > 1 || (value & kCountFlag) == kCountFlag) {
          PutU8(out, kCountFlag | static_cast<uint32_t>(length));
        }
        PutU8(out, value);
      },
      [&](std::span<const uint8_t>) {});  // with runs of one allowed there are no literals
}

void PutHeader(std::string& out, int32_t width, int32_t height, int bits, int planes,
               std::size_t plane_bytes, const std::vector<TRGBQuad>& header_colors) {
  PutU8(out, 10);  // ZSoft
  PutU8(out, 5);   // version with a 256-colour table
  PutU8(out, 1);   // run-length encoded
  PutU8(out, static_cast<uint32_t>(bits));
  PutLe16(out, 0);
  PutLe16(out, 0);
  PutLe16(out, static_cast<uint32_t>(width - 1));
  PutLe16(out, static_cast<uint32_t>(height - 1));
  PutLe16(out, kDpi);
  PutLe16(out, kDpi);
  const std::vector<TRGBQuad> colors = PaddedColors(header_colors, 16);
  for (const TRGBQuad& c : colors) {
    PutU8(out, c.Red);
    PutU8(out, c.Green);
    PutU8(out, c.Blue);
  }
  PutU8(out, 0);  // reserved
  PutU8(out, static_cast<uint32_t>(planes));
  PutLe16(out, static_cast<uint32_t>(plane_bytes));
  PutLe16(out, 1);  // colour palette
  out.append(128 - out.size(), '\0');
}

std::string EncodeIndexed(const TDIB& dib) {
  const std::optional<IndexedPicture> picture = ToIndexed(dib);
  if (!picture) return {};
  const bool mono = picture->bit_count == 1;
  const int bits = mono ? 1 : 8;
  const std::size_t plane_bytes = PlaneBytes(picture->width, bits);
  std::string out;
  PutHeader(out, picture->width, picture->height, bits, 1, plane_bytes,
            mono ? picture->colors : std::vector<TRGBQuad>{});
  std::vector<uint8_t> plane(plane_bytes);
  for (int32_t y = picture->height - 1; y >= 0; --y) {
    const uint8_t* row = picture->Row(y);
    std::fill(plane.begin(), plane.end(), 0);
    for (int32_t x = 0; x < picture->width; ++x) {
      if (!mono) {
        plane[static_cast<std::size_t>(x)] = row[x];
      } else if (row[x] & 1) {
        plane[static_cast<std::size_t>(x) / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
      }
    }
    EncodePlane(plane, out);
  }
  if (!mono) {
    PutU8(out, kPaletteMarker);
    for (const TRGBQuad& c : PaddedColors(picture->colors, 256)) {
      PutU8(out, c.Red);
      PutU8(out, c.Green);
      PutU8(out, c.Blue);
    }
  }
  return out;
}

std::string EncodeTrueColour(const TDIB& dib) {
  const std::size_t plane_bytes = PlaneBytes(dib.Width(), 8);
  std::string out;
  PutHeader(out, dib.Width(), dib.Height(), 8, 3, plane_bytes, {});
  std::vector<uint8_t> rgb;
  std::vector<uint8_t> plane(plane_bytes);
  for (int32_t y = dib.Height() - 1; y >= 0; --y) {
    RgbRow(dib, y, rgb);
    for (std::size_t channel = 0; channel < 3; ++channel) {
      std::fill(plane.begin(), plane.end(), 0);
      for (std::size_t x = 0; x < static_cast<std::size_t>(dib.Width()); ++x) {
        plane[x] = rgb[3 * x + channel];
      }
      EncodePlane(plane, out);
    }
  }
  return out;
}

}  // namespace

std::string EncodePcx(const TDIB& dib) {
  if (!IsWritable(dib) || dib.Width() > kMaxSide || dib.Height() > kMaxSide) return {};
  return dib.BitCount() <= 8 ? EncodeIndexed(dib) : EncodeTrueColour(dib);
}

}  // namespace paginor
