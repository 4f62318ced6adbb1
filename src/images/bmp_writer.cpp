// Windows bitmaps written by hand: file header, info header, colour table and the rows bottom
// first, either as stored or run-length encoded.
#include <cstddef>
#include <limits>

#include "images/byte_order.h"
#include "images/pixel_access.h"
#include "images/run_length.h"
#include "images/writers.h"

namespace paginor {

namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kRgb = 0;
constexpr uint32_t kRle8 = 1;
constexpr uint32_t kRle4 = 2;
constexpr uint32_t kPixelsPerMetre = 2835;  // 72 dpi
constexpr std::size_t kMaxCount = 255;      // longest run or literal one code byte counts

struct Layout {
  int32_t width = 0;
  int32_t height = 0;
  int bit_count = 0;
  uint32_t compression = kRgb;
};

// Headers and colour table in front of image_bytes of pixel data; nothing when the file
// would not fit the 32-bit size fields.
std::string Header(const Layout& layout, const std::vector<TRGBQuad>& colors,
                   std::size_t image_bytes) {
  const uint64_t offset = kFileHeaderBytes + kInfoHeaderBytes + 4 * uint64_t{colors.size()};
  const uint64_t file_bytes = offset + image_bytes;
  if (file_bytes > std::numeric_limits<uint32_t>::max()) return {};
  std::string out;
  out.reserve(static_cast<std::size_t>(file_bytes));
  out += "BM";
  PutLe32(out, static_cast<uint32_t>(file_bytes));
  PutLe32(out, 0);  // two reserved words
  PutLe32(out, static_cast<uint32_t>(offset));
  PutLe32(out, kInfoHeaderBytes);
  PutLe32(out, static_cast<uint32_t>(layout.width));
  PutLe32(out, static_cast<uint32_t>(layout.height));  // positive: bottom row first
  PutLe16(out, 1);                                     // planes
  PutLe16(out, static_cast<uint32_t>(layout.bit_count));
  PutLe32(out, layout.compression);
  PutLe32(out, static_cast<uint32_t>(image_bytes));
  PutLe32(out, kPixelsPerMetre);
  PutLe32(out, kPixelsPerMetre);
  PutLe32(out, static_cast<uint32_t>(colors.size()));
  PutLe32(out, 0);  // all colours important
  for (const TRGBQuad& c : colors) {
    PutU8(out, c.Blue);
    PutU8(out, c.Green);
    PutU8(out, c.Red);
    PutU8(out, 0);
  }
  return out;
}

std::string EncodeStored(const TDIB& dib) {
  const TDibBitmap& bitmap = *dib.Bitmap();
  const std::vector<TRGBQuad> colors =
      bitmap.BitCount <= 8 ? PaddedColors(bitmap.Colors, std::size_t{1} << bitmap.BitCount)
                           : std::vector<TRGBQuad>{};
  const std::size_t image_bytes =
      static_cast<std::size_t>(bitmap.RowBytes) * static_cast<std::size_t>(bitmap.Height);
  std::string out =
      Header({bitmap.Width, bitmap.Height, bitmap.BitCount, kRgb}, colors, image_bytes);
  if (out.empty()) return {};
  // Stored rows already have the bitmap's order and 4-byte padding.
  out.append(reinterpret_cast<const char*>(bitmap.Bits.data()), image_bytes);
  return out;
}

// One row in RLE8: runs as (count, index), other stretches in absolute mode (0, count, the
// indices, padded to a 16-bit boundary); stretches of one or two become runs of one.
void Rle8Row(std::span<const uint8_t> row, std::string& out) {
  SplitRuns(
      row, 3, kMaxCount, kMaxCount,
      [&](std::size_t length, uint8_t value) {
        PutU8(out, static_cast<uint32_t>(length));
        PutU8(out, value);
      },
      [&](std::span<const uint8_t> literal) {
        if (literal.size() < 3) {
          for (uint8_t value : literal) {
            PutU8(out, 1);
            PutU8(out, value);
          }
          return;
        }
        PutU8(out, 0);
        PutU8(out, static_cast<uint32_t>(literal.size()));
        out.append(reinterpret_cast<const char*>(literal.data()), literal.size());
        if (literal.size() % 2 != 0) PutU8(out, 0);
      });
}

// One row in RLE4, one index per element of row: runs as (pixel count, index in both
// nibbles), other stretches in absolute mode with two pixels a byte, padded to 16 bits.
void Rle4Row(std::span<const uint8_t> row, std::string& out) {
  SplitRuns(
      row, 3, kMaxCount, kMaxCount,
      [&](std::size_t length, uint8_t value) {
        PutU8(out, static_cast<uint32_t>(length));
        PutU8(out, static_cast<uint32_t>((value & 15) << 4 | (value & 15)));
      },
      [&](std::span<const uint8_t> literal) {
        if (literal.size() < 3) {
          for (uint8_t value : literal) {
            PutU8(out, 1);
            PutU8(out, static_cast<uint32_t>((value & 15) << 4));
          }
          return;
        }
        PutU8(out, 0);
        PutU8(out, static_cast<uint32_t>(literal.size()));
        const std::size_t bytes = (literal.size() + 1) / 2;
        for (std::size_t i = 0; i < bytes; ++i) {
          const uint32_t high = literal[2 * i] & 15u;
          const uint32_t low = 2 * i + 1 < literal.size() ? literal[2 * i + 1] & 15u : 0;
          PutU8(out, high << 4 | low);
        }
        if (bytes % 2 != 0) PutU8(out, 0);
      });
}

std::string EncodeRle(const TDIB& dib) {
  const std::optional<IndexedPicture> picture = ToIndexed(dib);
  if (!picture) return {};
  // RLE8 serves 8-bit indices; 1-bit pictures have no run-length code of their own and
  // travel as 4-bit ones.
  const int depth = picture->bit_count == 8 ? 8 : 4;
  std::string body;
  for (int32_t y = 0; y < picture->height; ++y) {
    const std::span<const uint8_t> row(picture->Row(y), static_cast<std::size_t>(picture->width));
    if (depth == 8) {
      Rle8Row(row, body);
    } else {
      Rle4Row(row, body);
    }
    PutU8(body, 0);  // end of line
    PutU8(body, 0);
  }
  PutU8(body, 0);  // end of bitmap
  PutU8(body, 1);
  std::string out = Header({picture->width, picture->height, depth, depth == 8 ? kRle8 : kRle4},
                           PaddedColors(picture->colors, std::size_t{1} << depth), body.size());
  if (out.empty()) return {};
  out += body;
  return out;
}

}  // namespace

std::string EncodeBmp(const TDIB& dib, bool rle) {
  if (!IsWritable(dib)) return {};
  return rle ? EncodeRle(dib) : EncodeStored(dib);
}

}  // namespace paginor
