// The imaging layer: device-independent bitmaps in TDIB records and the calls that create,
// load, save, halftone and release them.
//
// A TDIB is a handle: copies share one bitmap's pixel memory and colour table, and the
// bitmap goes away when the last copy lets go of it, so releasing a copy (deldib) can neither
// free memory twice nor leave another copy pointing at freed memory. A record whose Bits()
// is empty holds no bitmap.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace paginor {

// One colour table entry, in the byte order of a Windows bitmap.
struct TRGBQuad {
  uint8_t Blue = 0;
  uint8_t Green = 0;
  uint8_t Red = 0;
  uint8_t Reserved = 0;
  friend bool operator==(const TRGBQuad&, const TRGBQuad&) = default;
};

// The bitmap itself: bottom-up rows (the first stored row is the picture's bottom row),
// each padded to a multiple of 4 bytes. 24-bit pixels are blue, green, red; 32-bit pixels
// blue, green, red, unused. 1, 4 and 8-bit pixels index Colors, most significant bits first.
struct TDibBitmap {
  int32_t Width = 0;
  int32_t Height = 0;
  int BitCount = 0;
  int32_t RowBytes = 0;
  std::vector<uint8_t> Bits;
  std::vector<TRGBQuad> Colors;  // 2^BitCount entries for 1 to 8 bits, none above
};

class TDIB {
 public:
  TDIB() = default;
  // True when the record holds a bitmap.
  bool HasBits() const { return bitmap_ != nullptr && !bitmap_->Bits.empty(); }
  int32_t Width() const { return bitmap_ ? bitmap_->Width : 0; }
  int32_t Height() const { return bitmap_ ? bitmap_->Height : 0; }
  int BitCount() const { return bitmap_ ? bitmap_->BitCount : 0; }
  int32_t RowBytes() const { return bitmap_ ? bitmap_->RowBytes : 0; }
  // Drawing selects the colour table as a palette for bitmaps of 8 bits and fewer.
  bool HasPalette() const { return bitmap_ && !bitmap_->Colors.empty(); }
  // Stored row y (0 = bottom of the picture); null when y is out of range.
  uint8_t* Row(int32_t y);
  const uint8_t* Row(int32_t y) const;
  const std::vector<TRGBQuad>& Colors() const;
  const TDibBitmap* Bitmap() const { return bitmap_.get(); }

 private:
  friend void newdib(TDIB&, int32_t, int32_t, int, const TRGBQuad*, int);
  friend void deldib(TDIB&);
  std::shared_ptr<TDibBitmap> bitmap_;
};

// Bytes per stored row: width × bits, rounded up to 4 bytes.
int32_t DibRowBytes(int32_t width, int bit_count);

// Largest bitmap the layer makes, in bytes of pixel memory; bigger requests give no bitmap.
constexpr int64_t kMaxBitmapBytes = int64_t{512} << 20;

// A new zero-filled bitmap of 1, 4, 8, 16, 24 or 32 bits. The colour table is copied from
// colors (count entries); without one, bitmaps of 8 bits and fewer get a grey ramp. Sizes
// that are not positive, depths not listed or more than kMaxBitmapBytes leave dib empty.
void newdib(TDIB& dib, int32_t width, int32_t height, int bit_count,
            const TRGBQuad* colors = nullptr, int count = 0);
// Lets go of this record's bitmap; the memory is released with the last copy.
void deldib(TDIB& dib);

// The grey ramp of 2^bit_count entries, black first.
std::vector<TRGBQuad> GreyRamp(int bit_count);

// Loads a picture from memory: JPEG (every kind PDF carries) into 24 bits, or a TIFF file
// (the one-strip CCITT files of image extraction, or any single-image TIFF libtiff reads).
// On failure dib is left empty.
void OpenDib(TDIB& dib, std::string_view file_bytes);

// The save dialog's filter text: description and pattern pairs separated by "|", twelve
// types: BMP, DIB, GIF, IFF, JIF, JPG, LBM, PCX, RLE, TGA, TIF, PNG.
std::string GetDIBSaveFilter();
// Format code of a save-filter entry: its number in the filter, counted from 1, + 2. So GIF
// is 5 and JIF, the JPEG file type, 7: the codes the HTML page's images are written with.
enum class TDibFormat { Bmp = 3, Dib, Gif, Iff, Jif, Jpg, Lbm, Pcx, Rle, Tga, Tif, Png };
// Writes the bitmap to path (UTF-8) in the format of the code; false when it could not.
bool SaveDib(const TDIB& dib, const std::string& path, int format_code);
// The same into memory; empty when the bitmap cannot be written in that format.
std::string EncodeDib(const TDIB& dib, TDibFormat format);

// A palette-indexed (8-bit) halftoned copy of a 24- or 32-bit picture, same size or scaled.
void DIBHalftoneDIB(TDIB& out, const TDIB& in);
void DIBHalftoneDIBXY(TDIB& out, const TDIB& in, int32_t width, int32_t height);

// The value of the pixel at column x of stored row y (0 = first stored row): a colour index
// for 1 to 8 bits, 0x00RRGGBB for 24 and 32 bits, the raw 16-bit value for 16 bits.
// Out of range: 0, and setpixel does nothing.
uint32_t getpixel(const TDIB& dib, int32_t x, int32_t y);
void setpixel(TDIB& dib, int32_t x, int32_t y, uint32_t value);

}  // namespace paginor
