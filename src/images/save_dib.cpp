// The save side of the imaging layer: the dialog's filter text and the dispatch of a format
// code to its writer.
#include <cstddef>
#include <exception>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "images/pixel_access.h"
#include "images/pixolet.h"
#include "images/writers.h"

namespace paginor {

namespace {

struct FilterEntry {
  const char* description;
  const char* pattern;
};

// In format code order: entry i (from 0) has code i + 3.
constexpr FilterEntry kFilter[] = {
    {"Windows-Bitmap (*.bmp)", "*.bmp"},
    {"Geräteunabhängige Bitmap (*.dib)", "*.dib"},
    {"CompuServe GIF (*.gif)", "*.gif"},
    {"Amiga IFF/ILBM (*.iff)", "*.iff"},
    {"JPEG-Dateiaustauschformat (*.jif)", "*.jif"},
    {"JPEG-Bild (*.jpg)", "*.jpg"},
    {"Deluxe Paint ILBM (*.lbm)", "*.lbm"},
    {"ZSoft Paintbrush (*.pcx)", "*.pcx"},
    {"Windows-Bitmap, RLE-komprimiert (*.rle)", "*.rle"},
    {"Truevision Targa (*.tga)", "*.tga"},
    {"TIFF-Bild (*.tif)", "*.tif"},
    {"PNG-Bild (*.png)", "*.png"},
};

}  // namespace

std::string GetDIBSaveFilter() {
  std::string filter;
  for (const FilterEntry& entry : kFilter) {
    if (!filter.empty()) filter += '|';
    filter += entry.description;
    filter += '|';
    filter += entry.pattern;
  }
  return filter;
}

std::string EncodeDib(const TDIB& dib, TDibFormat format) {
  if (!IsWritable(dib)) return {};
  switch (format) {
    case TDibFormat::Bmp:
    case TDibFormat::Dib:
      return EncodeBmp(dib, false);
    case TDibFormat::Rle:
      return EncodeBmp(dib, true);
    case TDibFormat::Gif:
      return EncodeGif(dib);
    case TDibFormat::Iff:
    case TDibFormat::Lbm:
      return EncodeIlbm(dib);
    case TDibFormat::Jif:
    case TDibFormat::Jpg:
      return EncodeJpeg(dib);
    case TDibFormat::Pcx:
      return EncodePcx(dib);
    case TDibFormat::Tga:
      return EncodeTga(dib);
    case TDibFormat::Tif:
      return EncodeTiff(dib);
    case TDibFormat::Png:
      return EncodePng(dib);
  }
  return {};
}

bool SaveDib(const TDIB& dib, const std::string& path, int format_code) {
  if (format_code < static_cast<int>(TDibFormat::Bmp) ||
      format_code > static_cast<int>(TDibFormat::Png) || path.empty()) {
    return false;
  }
  const std::string bytes = EncodeDib(dib, static_cast<TDibFormat>(format_code));
  if (bytes.empty()) return false;
  try {
    // The path is UTF-8 whatever the platform's narrow encoding.
    const std::filesystem::path file_path(std::u8string(path.begin(), path.end()));
    std::ofstream file(file_path, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
      std::error_code ignored;
      std::filesystem::remove(file_path, ignored);  // no half-written picture left behind
      return false;
    }
  } catch (const std::exception&) {
    return false;  // a path the platform cannot represent
  }
  return true;
}

}  // namespace paginor
