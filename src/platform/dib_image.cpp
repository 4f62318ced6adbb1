#include "platform/dib_image.h"

#include <array>

#include "images/pixel_access.h"

namespace paginor {

namespace {

// Reads pixels of one bitmap as colours: the depth and the colour table looked up once.
class TDibColours {
 public:
  explicit TDibColours(const TDIB& dib) : dib_(dib), bits_(dib.BitCount()) {
    const std::vector<TRGBQuad>& colours = dib.Colors();
    for (std::size_t i = 0; i < table_.size(); ++i) {
      table_[i] = i < colours.size() ? qRgb(colours[i].Red, colours[i].Green, colours[i].Blue)
                                     : qRgb(0, 0, 0);
    }
  }
  // Pixel x of stored row y; black outside the bitmap.
  QRgb At(int64_t x, int64_t y) const {
    if (x < 0 || x >= dib_.Width() || y < 0 || y >= dib_.Height()) return qRgb(0, 0, 0);
    const uint8_t* row = dib_.Row(static_cast<int32_t>(y));
    const auto i = static_cast<std::size_t>(x);
    switch (bits_) {
      case 1:
        return table_[(row[i / 8] >> (7 - i % 8)) & 1u];
      case 4:
        return table_[(row[i / 2] >> (i % 2 == 0 ? 4 : 0)) & 15u];
      case 8:
        return table_[row[i]];
      case 16: {
        const uint32_t v = static_cast<uint32_t>(row[2 * i] | row[2 * i + 1] << 8);
        return qRgb(Expand5(v >> 10), Expand5(v >> 5), Expand5(v));
      }
      case 24:
        return qRgb(row[3 * i + 2], row[3 * i + 1], row[3 * i]);
      case 32:
        return qRgb(row[4 * i + 2], row[4 * i + 1], row[4 * i]);
      default:
        return qRgb(0, 0, 0);
    }
  }

 private:
  const TDIB& dib_;
  int bits_;
  std::array<QRgb, 256> table_{};
};

// No image bigger than the imaging layer would make a bitmap.
bool Affordable(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width * height * 4 <= kMaxBitmapBytes;
}

}  // namespace

QImage DibToImage(const TDIB& dib, int32_t src_x, int32_t src_y, int32_t width, int32_t height) {
  if (!dib.HasBits() || !Affordable(width, height)) return {};
  QImage image(width, height, QImage::Format_RGB32);
  if (image.isNull()) return {};
  const TDibColours colours(dib);
  for (int32_t t = 0; t < height; ++t) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(t));
    const int64_t stored = int64_t{src_y} + height - 1 - t;
    for (int32_t x = 0; x < width; ++x)
      line[x] = colours.At(int64_t{src_x} + x, stored);
  }
  return image;
}

QImage DibToImage(const TDIB& dib) {
  return DibToImage(dib, 0, 0, dib.Width(), dib.Height());
}

QImage ScaleDibNearest(const TDIB& dib, int32_t src_x, int32_t src_y, int32_t src_width,
                       int32_t src_height, int32_t dest_width, int32_t dest_height,
                       const QRect& part) {
  const QRect area = part.intersected(QRect(0, 0, dest_width, dest_height));
  if (!dib.HasBits() || area.isEmpty() || !Affordable(area.width(), area.height())) return {};
  QImage image(area.size(), QImage::Format_RGB32);
  if (image.isNull()) return {};
  const TDibColours colours(dib);
  const int64_t top = int64_t{src_y} + src_height - 1;
  for (int j = area.top(); j <= area.bottom(); ++j) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(j - area.top()));
    const int64_t stored = top - int64_t{src_height} * j / dest_height;
    for (int i = area.left(); i <= area.right(); ++i) {
      line[i - area.left()] = colours.At(src_x + int64_t{src_width} * i / dest_width, stored);
    }
  }
  return image;
}

}  // namespace paginor
