// Reduction of 16, 24 and 32-bit bitmaps to a palette of at most 256 colours, for the formats
// that only store colour indices.
#include <libimagequant.h>

#include <cstddef>
#include <limits>
#include <memory>

#include "images/pixel_access.h"

namespace paginor {

namespace {

struct AttrDeleter {
  void operator()(liq_attr* p) const { liq_attr_destroy(p); }
};
struct ImageDeleter {
  void operator()(liq_image* p) const { liq_image_destroy(p); }
};
struct ResultDeleter {
  void operator()(liq_result* p) const { liq_result_destroy(p); }
};

}  // namespace

std::optional<IndexedPicture> QuantizeTo256(const TDIB& dib) {
  if (!IsWritable(dib) || dib.BitCount() <= 8) return std::nullopt;
  const auto width = static_cast<std::size_t>(dib.Width());
  const auto height = static_cast<std::size_t>(dib.Height());
  if (width * height > static_cast<std::size_t>(std::numeric_limits<int>::max()) / 4) {
    return std::nullopt;
  }

  // libimagequant reads red, green, blue, alpha; every pixel is opaque. The image below
  // borrows this buffer, so it is declared first and outlives it.
  std::vector<liq_color> rgba(width * height);
  std::size_t i = 0;
  for (int32_t y = 0; y < dib.Height(); ++y) {
    for (int32_t x = 0; x < dib.Width(); ++x) {
      const Rgb c = PixelRgb(dib, x, y);
      rgba[i++] = liq_color{c.red, c.green, c.blue, 255};
    }
  }

  std::unique_ptr<liq_attr, AttrDeleter> attr(liq_attr_create());
  if (!attr || liq_set_max_colors(attr.get(), 256) != LIQ_OK) return std::nullopt;
  std::unique_ptr<liq_image, ImageDeleter> image(liq_image_create_rgba(
      attr.get(), rgba.data(), static_cast<int>(width), static_cast<int>(height), 0));
  if (!image) return std::nullopt;
  liq_result* raw_result = nullptr;
  if (liq_image_quantize(image.get(), attr.get(), &raw_result) != LIQ_OK) return std::nullopt;
  std::unique_ptr<liq_result, ResultDeleter> result(raw_result);

  IndexedPicture picture;
  picture.width = dib.Width();
  picture.height = dib.Height();
  picture.bit_count = 8;
  picture.pixels.resize(width * height);
  if (liq_write_remapped_image(result.get(), image.get(), picture.pixels.data(),
                               picture.pixels.size()) != LIQ_OK) {
    return std::nullopt;
  }
  // The palette is final only after remapping.
  const liq_palette* palette = liq_get_palette(result.get());
  if (palette == nullptr || palette->count == 0 || palette->count > 256) return std::nullopt;
  picture.colors.reserve(palette->count);
  for (unsigned k = 0; k < palette->count; ++k) {
    const liq_color& c = palette->entries[k];
    picture.colors.push_back(TRGBQuad{c.b, c.g, c.r, 0});
  }
  for (uint8_t& index : picture.pixels) {
    if (index >= picture.colors.size()) index = 0;
  }
  return picture;
}

}  // namespace paginor
