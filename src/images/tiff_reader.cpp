// TIFF from memory through libtiff, with no temporary file.
#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "images/readers.h"

namespace paginor {

namespace {

// The memory that libtiff reads through its client callbacks.
struct MemoryFile {
  std::string_view data;
  toff_t pos = 0;
};

tsize_t ReadProc(thandle_t handle, tdata_t buffer, tsize_t size) {
  auto* file = static_cast<MemoryFile*>(handle);
  if (size <= 0 || file->pos >= file->data.size()) return 0;
  const auto n = std::min<toff_t>(static_cast<toff_t>(size), file->data.size() - file->pos);
  std::memcpy(buffer, file->data.data() + file->pos, n);
  file->pos += n;
  return static_cast<tsize_t>(n);
}
tsize_t WriteProc(thandle_t, tdata_t, tsize_t) {
  return 0;
}
toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
  auto* file = static_cast<MemoryFile*>(handle);
  const toff_t base = whence == SEEK_CUR ? file->pos : whence == SEEK_END ? file->data.size() : 0;
  file->pos = base + offset;
  return file->pos;
}
int CloseProc(thandle_t) {
  return 0;
}
toff_t SizeProc(thandle_t handle) {
  return static_cast<MemoryFile*>(handle)->data.size();
}
int MapProc(thandle_t, tdata_t*, toff_t*) {
  return 0;
}
void UnmapProc(thandle_t, tdata_t, toff_t) {}

struct TiffCloser {
  void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

void SilenceLibtiff() {
  static const bool silenced = [] {
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
    return true;
  }();
  (void)silenced;
}

bool ReadBilevel(TIFF* tif, TDIB& dib, uint32_t width, uint32_t height, uint16_t photometric) {
  // Bit 1 is black for WhiteIsZero, white for BlackIsZero.
  const TRGBQuad white{255, 255, 255, 0};
  const TRGBQuad black{0, 0, 0, 0};
  const TRGBQuad table[2] = {photometric == PHOTOMETRIC_MINISWHITE ? white : black,
                             photometric == PHOTOMETRIC_MINISWHITE ? black : white};
  newdib(dib, static_cast<int32_t>(width), static_cast<int32_t>(height), 1, table, 2);
  if (!dib.HasBits()) return false;
  const tmsize_t line_size = TIFFScanlineSize(tif);
  if (line_size <= 0) return false;
  std::vector<uint8_t> line(static_cast<std::size_t>(line_size));
  const auto copy = std::min<std::size_t>(line.size(), static_cast<std::size_t>(dib.RowBytes()));
  for (uint32_t y = 0; y < height; ++y) {
    if (TIFFReadScanline(tif, line.data(), y, 0) < 0) return y > 0;  // keep the rows decoded
    std::memcpy(dib.Row(static_cast<int32_t>(height - 1 - y)), line.data(), copy);
  }
  return true;
}

bool ReadRgba(TIFF* tif, TDIB& dib, uint32_t width, uint32_t height) {
  newdib(dib, static_cast<int32_t>(width), static_cast<int32_t>(height), 24);
  if (!dib.HasBits()) return false;
  std::vector<uint32_t> raster(static_cast<std::size_t>(width) * height);
  // Bottom-left origin: raster row 0 is the picture's bottom row, as stored rows are.
  if (!TIFFReadRGBAImageOriented(tif, width, height, raster.data(), ORIENTATION_BOTLEFT, 0)) {
    return false;
  }
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t* row = dib.Row(static_cast<int32_t>(y));
    for (uint32_t x = 0; x < width; ++x) {
      const uint32_t p = raster[static_cast<std::size_t>(y) * width + x];
      row[3 * x] = static_cast<uint8_t>(TIFFGetB(p));
      row[3 * x + 1] = static_cast<uint8_t>(TIFFGetG(p));
      row[3 * x + 2] = static_cast<uint8_t>(TIFFGetR(p));
    }
  }
  return true;
}

}  // namespace

void ReadTiff(TDIB& dib, std::string_view data, int fax_mode) {
  deldib(dib);
  SilenceLibtiff();
  MemoryFile file{data, 0};
  TiffHandle tif(TIFFClientOpen("memory", "rm", &file, ReadProc, WriteProc, SeekProc, CloseProc,
                                SizeProc, MapProc, UnmapProc));
  if (!tif) return;
  if (fax_mode >= 0) TIFFSetField(tif.get(), TIFFTAG_FAXMODE, fax_mode);
  uint32_t width = 0;
  uint32_t height = 0;
  uint16_t bits = 1;
  uint16_t samples = 1;
  uint16_t photometric = PHOTOMETRIC_MINISWHITE;
  uint16_t compression = COMPRESSION_NONE;
  TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height);
  TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &photometric);
  TIFFGetField(tif.get(), TIFFTAG_COMPRESSION, &compression);
  if (width == 0 || height == 0 || int64_t{width} * height * 3 > kMaxBitmapBytes) return;
  const bool bilevel =
      bits == 1 && samples == 1 &&
      (photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK);
  const bool ok = bilevel ? ReadBilevel(tif.get(), dib, width, height, photometric)
                          : ReadRgba(tif.get(), dib, width, height);
  if (!ok) deldib(dib);
}

namespace {

void Put16(std::string& out, uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
// One directory entry of one SHORT or LONG value.
void Entry(std::string& out, uint16_t tag, uint32_t value, bool as_long) {
  Put16(out, tag);
  Put16(out, as_long ? 4 : 3);
  Put32(out, 1);
  if (as_long) {
    Put32(out, value);
  } else {
    Put16(out, value);
    Put16(out, 0);
  }
}

}  // namespace

TCcittTiff BuildCcittTiff(int32_t width, int32_t height, std::string_view data,
                          const TCcittParams& params) {
  // Group 4; Group 3 one-dimensional without end-of-line codes is TIFF's Modified Huffman;
  // with them, or two-dimensional, it is T.4.
  const int compression = params.K < 0                           ? COMPRESSION_CCITTFAX4
                          : (params.K == 0 && !params.EndOfLine) ? COMPRESSION_CCITTRLE
                                                                 : COMPRESSION_CCITTFAX3;
  TCcittTiff result;
  if (compression == COMPRESSION_CCITTRLE) {
    result.FaxMode = FAXMODE_NORTC | (params.EncodedByteAlign ? FAXMODE_BYTEALIGN : 0);
  }
  const bool t4 = compression == COMPRESSION_CCITTFAX3;
  const bool long_sizes = width > 0xFFFF || height > 0xFFFF;
  const uint16_t entries = t4 ? 9 : 8;
  const uint32_t data_offset = 8 + 2 + 12u * entries + 4;
  std::string& out = result.File;
  out = "II";
  Put16(out, 42);
  Put32(out, 8);
  Put16(out, entries);
  Entry(out, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(width), long_sizes);
  Entry(out, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(height), long_sizes);
  Entry(out, TIFFTAG_BITSPERSAMPLE, 1, false);
  Entry(out, TIFFTAG_COMPRESSION, static_cast<uint32_t>(compression), false);
  // libtiff's fax decoder gives black as 1 bits; /BlackIs1 true means those are white.
  Entry(out, TIFFTAG_PHOTOMETRIC, params.BlackIs1 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_MINISWHITE,
        false);
  Entry(out, TIFFTAG_STRIPOFFSETS, data_offset, true);
  Entry(out, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(height), long_sizes);
  Entry(out, TIFFTAG_STRIPBYTECOUNTS, static_cast<uint32_t>(data.size()), true);
  if (t4) {
    const uint32_t options = (params.K > 0 ? GROUP3OPT_2DENCODING : 0u) |
                             (params.EncodedByteAlign ? GROUP3OPT_FILLBITS : 0u);
    Entry(out, TIFFTAG_GROUP3OPTIONS, options, true);
  }
  Put32(out, 0);
  out.append(data);
  return result;
}

void ReadCcitt(TDIB& dib, int32_t width, int32_t height, std::string_view data,
               const TCcittParams& params) {
  deldib(dib);
  if (width <= 0 || height <= 0 || int64_t{width} * height / 8 > kMaxBitmapBytes) return;
  const TCcittTiff tiff = BuildCcittTiff(width, height, data, params);
  ReadTiff(dib, tiff.File, tiff.FaxMode);
  if (dib.BitCount() != 1) deldib(dib);
}

}  // namespace paginor
