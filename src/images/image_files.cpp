#include "images/image_files.h"

#include <array>
#include <cctype>
#include <fstream>

#include "pdf/literals.h"

namespace paginor {

namespace {

constexpr std::array<const char*, 12> kExtensions = {"bmp", "dib", "gif", "iff", "jif", "jpg",
                                                     "lbm", "pcx", "rle", "tga", "tif", "png"};

}  // namespace

std::optional<TDibFormat> FormatFromName(std::string_view name) {
  std::string lower;
  for (const char c : name)
    lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower == "jpeg") lower = "jpg";
  if (lower == "tiff") lower = "tif";
  for (std::size_t i = 0; i < kExtensions.size(); ++i) {
    if (lower == kExtensions[i])
      return static_cast<TDibFormat>(i + static_cast<int>(TDibFormat::Bmp));
  }
  return std::nullopt;
}

std::string ExtensionOf(TDibFormat format) {
  const auto index =
      static_cast<std::size_t>(static_cast<int>(format) - static_cast<int>(TDibFormat::Bmp));
  return index < kExtensions.size() ? kExtensions[index] : "bmp";
}

TDibFormat DefaultFormatFor(const TImageRec& image) {
  return image.Bitmap.BitCount() >= 24 ? TDibFormat::Jpg : TDibFormat::Gif;
}

std::string ImageFileName(const std::string& base, int number, TDibFormat format) {
  return base + PadNumber3(number) + "." + ExtensionOf(format);
}

bool SaveImage(const TImageRec& image, const std::string& path, TDibFormat format) {
  const bool jpeg = format == TDibFormat::Jpg || format == TDibFormat::Jif;
  if (jpeg && image.Bitmap.IsJpeg()) {
    const std::string jpeg_bytes = image.JpegBytes();
    if (jpeg_bytes.empty()) return false;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(jpeg_bytes.data(), static_cast<std::streamsize>(jpeg_bytes.size()));
    return static_cast<bool>(out.flush());
  }
  return SaveDib(image.Bitmap.Decode(), path, static_cast<int>(format));
}

}  // namespace paginor
