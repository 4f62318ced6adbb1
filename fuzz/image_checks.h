// What every decoded bitmap promises, and the writers of --images run over it.
#pragma once

#include <string>

#include "fuzz_check.h"
#include "images/pixolet.h"

namespace paginor::fuzz {

inline void CheckBitmap(const TDIB& dib) {
  if (!dib.HasBits()) return;
  FUZZ_CHECK(dib.Width() > 0 && dib.Height() > 0);
  FUZZ_CHECK(dib.RowBytes() == DibRowBytes(dib.Width(), dib.BitCount()));
  FUZZ_CHECK(int64_t{dib.RowBytes()} * dib.Height() <= kMaxBitmapBytes);
  FUZZ_CHECK(dib.Bitmap()->Bits.size() ==
             static_cast<std::size_t>(dib.RowBytes()) * static_cast<std::size_t>(dib.Height()));
  if (dib.BitCount() <= 8) {
    FUZZ_CHECK(dib.Colors().size() == std::size_t{1} << dib.BitCount());
  }
  // Every pixel of the corners and the middle can be read.
  for (const int32_t y : {0, dib.Height() / 2, dib.Height() - 1}) {
    for (const int32_t x : {0, dib.Width() / 2, dib.Width() - 1})
      getpixel(dib, x, y);
  }
}

// Writes the bitmap in every format the save dialog offers, when it is small enough to do so
// quickly; a writer that gives a file must give one of the format.
inline void WriteInEveryFormat(const TDIB& dib) {
  if (!dib.HasBits() || int64_t{dib.Width()} * dib.Height() > 64 * 64) return;
  for (int code = static_cast<int>(TDibFormat::Bmp); code <= static_cast<int>(TDibFormat::Png);
       ++code) {
    const std::string file = EncodeDib(dib, static_cast<TDibFormat>(code));
    if (file.empty()) continue;
    switch (static_cast<TDibFormat>(code)) {
      case TDibFormat::Bmp:
      case TDibFormat::Dib:
      case TDibFormat::Rle:
        FUZZ_CHECK(file.starts_with("BM"));
        break;
      case TDibFormat::Gif:
        FUZZ_CHECK(file.starts_with("GIF8"));
        break;
      case TDibFormat::Jif:
      case TDibFormat::Jpg:
        FUZZ_CHECK(file.starts_with("\xFF\xD8"));
        break;
      case TDibFormat::Iff:
      case TDibFormat::Lbm:
        FUZZ_CHECK(file.starts_with("FORM"));
        break;
      case TDibFormat::Tif:
        FUZZ_CHECK(file.starts_with("II") || file.starts_with("MM"));
        break;
      case TDibFormat::Png:
        FUZZ_CHECK(file.starts_with("\x89PNG"));
        break;
      case TDibFormat::Pcx:
      case TDibFormat::Tga:
        break;
    }
  }
}

}  // namespace paginor::fuzz
