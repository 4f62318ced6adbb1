// IFF interleaved bitmaps (FORM ILBM): BMHD, a CMAP for palette pictures, and a BODY with one
// ByteRun1-packed row per bit plane, rows top first. Pictures deeper than 8 bits are written
// with 24 planes: red, green, blue, least significant bit first.
#include <algorithm>
#include <cstddef>
#include <limits>

#include "images/byte_order.h"
#include "images/pixel_access.h"
#include "images/run_length.h"
#include "images/writers.h"

namespace paginor {

namespace {

constexpr int32_t kMaxSide = 65535;
constexpr std::size_t kMaxRun = 128;
constexpr uint32_t kByteRun1 = 1;

void PutChunkHeader(std::string& out, const char* id, uint32_t length) {
  out.append(id, 4);
  PutBe32(out, length);
}

// ByteRun1: n in 0..127 copies the next n + 1 bytes, n in -127..-1 repeats the next byte
// 1 - n times.
void PackRow(std::span<const uint8_t> row, std::string& out) {
  SplitRuns(
      row, 3, kMaxRun, kMaxRun,
      [&](std::size_t length, uint8_t value) {
        PutU8(out, static_cast<uint32_t>(257 - length));
        PutU8(out, value);
      },
      [&](std::span<const uint8_t> literal) {
        PutU8(out, static_cast<uint32_t>(literal.size() - 1));
        out.append(reinterpret_cast<const char*>(literal.data()), literal.size());
      });
}

// Scatters bit `bit` of each value into plane, most significant pixel bit first.
void FillPlane(const uint8_t* values, std::size_t count, std::size_t stride, int bit,
               std::vector<uint8_t>& plane) {
  std::fill(plane.begin(), plane.end(), 0);
  for (std::size_t x = 0; x < count; ++x) {
    if ((values[x * stride] >> bit) & 1) plane[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
  }
}

std::string Body(const TDIB& dib, const IndexedPicture* picture, std::size_t plane_bytes) {
  const auto width = static_cast<std::size_t>(dib.Width());
  std::vector<uint8_t> plane(plane_bytes);
  std::vector<uint8_t> rgb;
  std::string body;
  for (int32_t y = dib.Height() - 1; y >= 0; --y) {
    if (picture != nullptr) {
      for (int bit = 0; bit < picture->bit_count; ++bit) {
        FillPlane(picture->Row(y), width, 1, bit, plane);
        PackRow(plane, body);
      }
      continue;
    }
    RgbRow(dib, y, rgb);
    for (std::size_t channel = 0; channel < 3; ++channel) {
      for (int bit = 0; bit < 8; ++bit) {
        FillPlane(rgb.data() + channel, width, 3, bit, plane);
        PackRow(plane, body);
      }
    }
  }
  return body;
}

}  // namespace

std::string EncodeIlbm(const TDIB& dib) {
  if (!IsWritable(dib) || dib.Width() > kMaxSide || dib.Height() > kMaxSide) return {};
  std::optional<IndexedPicture> picture;
  if (dib.BitCount() <= 8) {
    picture = ToIndexed(dib);
    if (!picture) return {};
  }
  const int planes = picture ? picture->bit_count : 24;
  // Plane rows are whole 16-bit words.
  const std::size_t plane_bytes = (static_cast<std::size_t>(dib.Width()) + 15) / 16 * 2;
  const std::string body = Body(dib, picture ? &*picture : nullptr, plane_bytes);

  std::string out;
  out += "FORM";
  PutBe32(out, 0);  // set below
  out += "ILBM";
  PutChunkHeader(out, "BMHD", 20);
  PutBe16(out, static_cast<uint32_t>(dib.Width()));
  PutBe16(out, static_cast<uint32_t>(dib.Height()));
  PutBe16(out, 0);  // position
  PutBe16(out, 0);
  PutU8(out, static_cast<uint32_t>(planes));
  PutU8(out, 0);  // no mask
  PutU8(out, kByteRun1);
  PutU8(out, 0);    // pad
  PutBe16(out, 0);  // transparent colour
  PutU8(out, 1);    // square pixels
  PutU8(out, 1);
  PutBe16(out, static_cast<uint32_t>(dib.Width()));  // page size
  PutBe16(out, static_cast<uint32_t>(dib.Height()));
  if (picture) {
    // 2, 16 or 256 entries: the chunk is always of even length.
    PutChunkHeader(out, "CMAP", static_cast<uint32_t>(picture->colors.size() * 3));
    for (const TRGBQuad& c : picture->colors) {
      PutU8(out, c.Red);
      PutU8(out, c.Green);
      PutU8(out, c.Blue);
    }
  }
  if (body.size() > std::numeric_limits<uint32_t>::max() - out.size() - 16) return {};
  PutChunkHeader(out, "BODY", static_cast<uint32_t>(body.size()));
  out += body;
  if (body.size() % 2 != 0) PutU8(out, 0);  // chunks start on even offsets
  SetBe32(out, 4, static_cast<uint32_t>(out.size() - 8));
  return out;
}

}  // namespace paginor
