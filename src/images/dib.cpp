#include <algorithm>

#include "images/pixolet.h"

namespace paginor {

namespace {

bool ValidDepth(int bit_count) {
  return bit_count == 1 || bit_count == 4 || bit_count == 8 || bit_count == 16 || bit_count == 24 ||
         bit_count == 32;
}

const std::vector<TRGBQuad>& NoColors() {
  static const std::vector<TRGBQuad> none;
  return none;
}

}  // namespace

int32_t DibRowBytes(int32_t width, int bit_count) {
  const int64_t bits = int64_t{width} * bit_count;
  return static_cast<int32_t>((bits + 31) / 32 * 4);
}

uint8_t* TDIB::Row(int32_t y) {
  if (!HasBits() || y < 0 || y >= bitmap_->Height) return nullptr;
  return bitmap_->Bits.data() + static_cast<std::size_t>(y) * bitmap_->RowBytes;
}

const uint8_t* TDIB::Row(int32_t y) const {
  if (!HasBits() || y < 0 || y >= bitmap_->Height) return nullptr;
  return bitmap_->Bits.data() + static_cast<std::size_t>(y) * bitmap_->RowBytes;
}

const std::vector<TRGBQuad>& TDIB::Colors() const {
  return bitmap_ ? bitmap_->Colors : NoColors();
}

std::vector<TRGBQuad> GreyRamp(int bit_count) {
  const int count = 1 << bit_count;
  std::vector<TRGBQuad> ramp(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const auto v = static_cast<uint8_t>(count == 1 ? 0 : i * 255 / (count - 1));
    ramp[static_cast<std::size_t>(i)] = TRGBQuad{v, v, v, 0};
  }
  return ramp;
}

void newdib(TDIB& dib, int32_t width, int32_t height, int bit_count, const TRGBQuad* colors,
            int count) {
  dib.bitmap_.reset();
  if (width <= 0 || height <= 0 || !ValidDepth(bit_count)) return;
  const int32_t row_bytes = DibRowBytes(width, bit_count);
  if (row_bytes <= 0 || int64_t{row_bytes} * height > kMaxBitmapBytes) return;
  auto bitmap = std::make_shared<TDibBitmap>();
  bitmap->Width = width;
  bitmap->Height = height;
  bitmap->BitCount = bit_count;
  bitmap->RowBytes = row_bytes;
  bitmap->Bits.assign(static_cast<std::size_t>(row_bytes) * static_cast<std::size_t>(height), 0);
  if (bit_count <= 8) {
    bitmap->Colors = GreyRamp(bit_count);
    if (colors != nullptr && count > 0) {
      const int copied = std::min(count, 1 << bit_count);
      std::copy(colors, colors + copied, bitmap->Colors.begin());
    }
  }
  dib.bitmap_ = std::move(bitmap);
}

void deldib(TDIB& dib) {
  dib.bitmap_.reset();
}

uint32_t getpixel(const TDIB& dib, int32_t x, int32_t y) {
  const uint8_t* row = dib.Row(y);
  if (row == nullptr || x < 0 || x >= dib.Width()) return 0;
  switch (dib.BitCount()) {
    case 1:
      return (row[x / 8] >> (7 - x % 8)) & 1u;
    case 4:
      return (row[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 15u;
    case 8:
      return row[x];
    case 16:
      return static_cast<uint32_t>(row[2 * x] | row[2 * x + 1] << 8);
    case 24:
    case 32: {
      const uint8_t* p = row + static_cast<std::ptrdiff_t>(x) * (dib.BitCount() / 8);
      return static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
    }
    default:
      return 0;
  }
}

void setpixel(TDIB& dib, int32_t x, int32_t y, uint32_t value) {
  uint8_t* row = dib.Row(y);
  if (row == nullptr || x < 0 || x >= dib.Width()) return;
  switch (dib.BitCount()) {
    case 1: {
      const auto mask = static_cast<uint8_t>(0x80 >> (x % 8));
      row[x / 8] = static_cast<uint8_t>((value & 1) ? (row[x / 8] | mask) : (row[x / 8] & ~mask));
      break;
    }
    case 4: {
      const int shift = x % 2 == 0 ? 4 : 0;
      row[x / 2] = static_cast<uint8_t>((row[x / 2] & ~(15 << shift)) | (value & 15) << shift);
      break;
    }
    case 8:
      row[x] = static_cast<uint8_t>(value);
      break;
    case 16:
      row[2 * x] = static_cast<uint8_t>(value);
      row[2 * x + 1] = static_cast<uint8_t>(value >> 8);
      break;
    case 24:
    case 32: {
      uint8_t* p = row + static_cast<std::ptrdiff_t>(x) * (dib.BitCount() / 8);
      p[0] = static_cast<uint8_t>(value);
      p[1] = static_cast<uint8_t>(value >> 8);
      p[2] = static_cast<uint8_t>(value >> 16);
      break;
    }
    default:
      break;
  }
}

}  // namespace paginor
