// PNG through libpng: palette pictures keep their depth and table, deeper ones are written as
// 8-bit RGB. Lossless for every depth the bitmap has.
#include <png.h>

#include <csetjmp>
#include <cstddef>
#include <vector>

#include "images/pixel_access.h"
#include "images/writers.h"

namespace paginor {

namespace {

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::string*>(png_get_io_ptr(png));
  out->append(reinterpret_cast<const char*>(data), length);
}

void NoFlush(png_structp) {}

// libpng reports through longjmp; this frame holds everything that must outlive a failure.
bool Write(png_structp png, png_infop info, const TDIB& dib, std::string& out) {
  const bool palette = dib.BitCount() <= 8;
  std::vector<png_color> colors;
  std::vector<uint8_t> line;
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, &out, AppendBytes, NoFlush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(dib.Width()),
               static_cast<png_uint_32>(dib.Height()), palette ? dib.BitCount() : 8,
               palette ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (palette) {
    for (const TRGBQuad& c :
         PaddedColors(dib.Colors(), std::size_t{1} << static_cast<unsigned>(dib.BitCount()))) {
      colors.push_back({c.Red, c.Green, c.Blue});
    }
    png_set_PLTE(png, info, colors.data(), static_cast<int>(colors.size()));
  }
  png_write_info(png, info);
  const auto packed_bytes =
      (static_cast<std::size_t>(dib.Width()) * static_cast<std::size_t>(dib.BitCount()) + 7) / 8;
  // The bitmap's rows are stored bottom first; PNG's run from the top.
  for (int32_t y = dib.Height() - 1; y >= 0; --y) {
    if (palette) {
      // Stored rows pack indices most significant bits first, as PNG does.
      const uint8_t* row = dib.Row(y);
      line.assign(row, row + packed_bytes);
    } else {
      RgbRow(dib, y, line);
    }
    png_write_row(png, line.data());
  }
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

std::string EncodePng(const TDIB& dib) {
  if (!IsWritable(dib)) return {};
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return {};
  png_infop info = png_create_info_struct(png);
  std::string out;
  const bool ok = info != nullptr && Write(png, info, dib, out);
  png_destroy_write_struct(&png, &info);
  if (!ok) return {};
  return out;
}

}  // namespace paginor
