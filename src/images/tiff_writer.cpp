// TIFF through libtiff, written into memory, LZW compressed, rows top first: bilevel for
// black-and-white 1-bit pictures, palette for other 1-bit and all 4 and 8-bit ones, 8-bit RGB
// for 16, 24 and 32 bits (the unused fourth byte dropped).
#include <tiffio.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <exception>
#include <limits>
#include <memory>

#include "images/pixel_access.h"
#include "images/writers.h"

namespace paginor {

namespace {

// The file libtiff writes: a growing byte string and a position in it.
struct MemoryFile {
  std::string bytes;
  uint64_t position = 0;
};

MemoryFile& FileOf(thandle_t handle) {
  return *static_cast<MemoryFile*>(handle);
}

tmsize_t ReadProc(thandle_t handle, void* data, tmsize_t size) {
  MemoryFile& file = FileOf(handle);
  if (size <= 0 || file.position >= file.bytes.size()) return 0;
  const auto count =
      std::min(static_cast<uint64_t>(size), uint64_t{file.bytes.size()} - file.position);
  std::memcpy(data, file.bytes.data() + file.position, static_cast<std::size_t>(count));
  file.position += count;
  return static_cast<tmsize_t>(count);
}

tmsize_t WriteProc(thandle_t handle, void* data, tmsize_t size) {
  MemoryFile& file = FileOf(handle);
  if (size < 0) return -1;
  const auto count = static_cast<uint64_t>(size);
  if (file.position > std::numeric_limits<uint32_t>::max() ||
      count > std::numeric_limits<uint32_t>::max()) {
    return -1;  // a classic TIFF has 32-bit offsets
  }
  try {
    if (file.position + count > file.bytes.size()) {
      file.bytes.resize(static_cast<std::size_t>(file.position + count));
    }
  } catch (const std::exception&) {
    return -1;  // nothing may unwind through libtiff
  }
  std::memcpy(file.bytes.data() + file.position, data, static_cast<std::size_t>(count));
  file.position += count;
  return size;
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
  MemoryFile& file = FileOf(handle);
  int64_t target = 0;
  switch (whence) {
    case SEEK_SET:
      target = static_cast<int64_t>(offset);
      break;
    case SEEK_CUR:
      target = static_cast<int64_t>(file.position) + static_cast<int64_t>(offset);
      break;
    case SEEK_END:
      target = static_cast<int64_t>(file.bytes.size()) + static_cast<int64_t>(offset);
      break;
    default:
      return static_cast<toff_t>(-1);
  }
  if (target < 0) return static_cast<toff_t>(-1);
  file.position = static_cast<uint64_t>(target);
  return file.position;
}

int CloseProc(thandle_t) {
  return 0;
}
toff_t SizeProc(thandle_t handle) {
  return FileOf(handle).bytes.size();
}
int MapProc(thandle_t, void**, toff_t*) {
  return 0;
}  // no mapping: libtiff reads instead
void UnmapProc(thandle_t, void*, toff_t) {}

struct TiffCloser {
  void operator()(TIFF* tif) const { TIFFClose(tif); }
};

enum class Kind { ZeroIsBlack, ZeroIsWhite, Palette, Rgb };

bool IsColour(const TRGBQuad& c, uint8_t red, uint8_t green, uint8_t blue) {
  return c.Red == red && c.Green == green && c.Blue == blue;
}

Kind KindOf(const TDIB& dib) {
  if (dib.BitCount() > 8) return Kind::Rgb;
  if (dib.BitCount() == 1) {
    const std::vector<TRGBQuad> colors = PaddedColors(dib.Colors(), 2);
    if (IsColour(colors[0], 0, 0, 0) && IsColour(colors[1], 255, 255, 255)) {
      return Kind::ZeroIsBlack;
    }
    if (IsColour(colors[0], 255, 255, 255) && IsColour(colors[1], 0, 0, 0)) {
      return Kind::ZeroIsWhite;
    }
  }
  return Kind::Palette;
}

bool SetFields(TIFF* tif, const TDIB& dib, Kind kind) {
  const bool rgb = kind == Kind::Rgb;
  int photometric = PHOTOMETRIC_PALETTE;
  if (kind == Kind::ZeroIsBlack) photometric = PHOTOMETRIC_MINISBLACK;
  if (kind == Kind::ZeroIsWhite) photometric = PHOTOMETRIC_MINISWHITE;
  if (rgb) photometric = PHOTOMETRIC_RGB;
  bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(dib.Width())) &&
            TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(dib.Height())) &&
            TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, rgb ? 8 : dib.BitCount()) &&
            TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, rgb ? 3 : 1) &&
            TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric) &&
            TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
            TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW) &&
            TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
            TIFFSetField(tif, TIFFTAG_XRESOLUTION, 72.0) &&
            TIFFSetField(tif, TIFFTAG_YRESOLUTION, 72.0) &&
            TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH) &&
            TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
  if (ok && kind == Kind::Palette) {
    const std::size_t count = std::size_t{1} << dib.BitCount();
    const std::vector<TRGBQuad> colors = PaddedColors(dib.Colors(), count);
    std::vector<uint16_t> red(count);
    std::vector<uint16_t> green(count);
    std::vector<uint16_t> blue(count);
    for (std::size_t i = 0; i < count; ++i) {
      // 16-bit map entries: 255 becomes 65535.
      red[i] = static_cast<uint16_t>(colors[i].Red * 257);
      green[i] = static_cast<uint16_t>(colors[i].Green * 257);
      blue[i] = static_cast<uint16_t>(colors[i].Blue * 257);
    }
    ok = TIFFSetField(tif, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
  }
  return ok;
}

bool WriteRows(TIFF* tif, const TDIB& dib, Kind kind) {
  std::vector<uint8_t> line;
  const auto packed_bytes =
      (static_cast<std::size_t>(dib.Width()) * static_cast<std::size_t>(dib.BitCount()) + 7) / 8;
  for (int32_t y = dib.Height() - 1; y >= 0; --y) {
    if (kind == Kind::Rgb) {
      RgbRow(dib, y, line);
    } else {
      // Stored rows pack indices most significant bits first, as TIFF does.
      const uint8_t* row = dib.Row(y);
      line.assign(row, row + packed_bytes);
    }
    const auto row_number = static_cast<uint32_t>(dib.Height() - 1 - y);
    if (TIFFWriteScanline(tif, line.data(), row_number, 0) < 0) return false;
  }
  return true;
}

}  // namespace

std::string EncodeTiff(const TDIB& dib) {
  if (!IsWritable(dib)) return {};
  const Kind kind = KindOf(dib);
  MemoryFile file;  // outlives the handle, which writes into it until closed
  {
    std::unique_ptr<TIFF, TiffCloser> tif(TIFFClientOpen("memory", "w", &file, ReadProc, WriteProc,
                                                         SeekProc, CloseProc, SizeProc, MapProc,
                                                         UnmapProc));
    if (!tif || !SetFields(tif.get(), dib, kind) || !WriteRows(tif.get(), dib, kind) ||
        TIFFFlush(tif.get()) != 1) {
      return {};
    }
  }
  return std::move(file.bytes);
}

}  // namespace paginor
