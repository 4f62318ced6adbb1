#include "images/stretch_draw.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace paginor {

namespace {

// Round(a × b / c) with halves to the even neighbour: the product in integers, the division
// in floating point. c is never 0 here.
int32_t ScaleRound(int64_t a, int64_t b, int64_t c) {
  const double v = std::nearbyint(static_cast<double>(a * b) / static_cast<double>(c));
  constexpr double kMin = std::numeric_limits<int32_t>::min();
  constexpr double kMax = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(std::clamp(v, kMin, kMax));
}

// The source rectangle and the destination it is drawn into.
struct TMapping {
  int32_t X, Y, DestWidth, DestHeight;
  int32_t SrcX, SrcY, SrcWidth, SrcHeight;
  bool Empty() const {
    return SrcWidth <= 0 || SrcHeight <= 0 || DestWidth <= 0 || DestHeight <= 0;
  }
};

// Cuts the source to the bitmap, in the fixed order right, bottom, top, left, scaling the
// destination with it. False when nothing of the source is left.
bool ClipToBitmap(TMapping& m, int32_t W, int32_t H) {
  if (m.Empty()) return false;
  if (int64_t{m.SrcX} + m.SrcWidth > W) {
    const int32_t e = W - m.SrcX;
    m.DestWidth = ScaleRound(m.DestWidth, e, m.SrcWidth);
    m.SrcWidth = e;
    if (m.Empty()) return false;
  }
  if (m.SrcY < 0) {
    m.DestHeight = ScaleRound(m.DestHeight, int64_t{m.SrcHeight} + m.SrcY, m.SrcHeight);
    m.SrcHeight += m.SrcY;
    m.SrcY = 0;
    if (m.Empty()) return false;
  }
  if (int64_t{m.SrcY} + m.SrcHeight > H) {
    const int32_t e = H - m.SrcY;
    const int32_t h = ScaleRound(m.DestHeight, e, m.SrcHeight);
    m.Y += m.DestHeight - h;
    m.DestHeight = h;
    m.SrcHeight = e;
    if (m.Empty()) return false;
  }
  if (m.SrcX < 0) {
    const int32_t w = ScaleRound(m.DestWidth, int64_t{m.SrcX} + m.SrcWidth, m.SrcWidth);
    m.X += m.DestWidth - w;
    m.DestWidth = w;
    m.SrcWidth += m.SrcX;
    m.SrcX = 0;
  }
  return !m.Empty();
}

// The halftone path: a palette-indexed copy, at the destination's scale when shrinking so
// that no more pixels are halftoned than are shown. False when the copy cannot be made.
bool DrawHalftoned(TDeviceContext& dc, const TMapping& m, const TDIB& dib, uint32_t rop,
                   TPalette palette) {
  const int32_t W = DIBWidth(dib);
  const int32_t H = DIBHeight(dib);
  const bool shrinking = m.SrcWidth > m.DestWidth || m.SrcHeight > m.DestHeight;
  TDIB copy;
  if (shrinking) {
    DIBHalftoneDIBXY(copy, dib, ScaleRound(W, m.DestWidth, m.SrcWidth),
                     ScaleRound(H, m.DestHeight, m.SrcHeight));
  } else {
    DIBHalftoneDIB(copy, dib);
  }
  if (!copy.HasBits()) return false;
  const TPalette previous = dc.SelectPalette(palette);
  dc.RealizePalette();
  if (shrinking) {
    dc.StretchDIBits(m.X, m.Y, m.DestWidth, m.DestHeight, ScaleRound(copy.Width(), m.SrcX, W),
                     ScaleRound(copy.Height(), m.SrcY, H), m.DestWidth, m.DestHeight, copy, rop);
  } else {
    dc.StretchDIBits(m.X, m.Y, m.DestWidth, m.DestHeight, m.SrcX, m.SrcY, m.SrcWidth, m.SrcHeight,
                     copy, rop);
  }
  dc.SelectPalette(previous);
  deldib(copy);
  return true;
}

// First fallback: the device takes bitmaps unscaled, so the program scales into a bitmap of
// the destination's size. The mapping reaches the source's last column and row; a destination
// one pixel wide or high takes the first.
bool DrawResampled(TDeviceContext& dc, const TMapping& m, const TDIB& dib) {
  const int64_t colours = DIBColorCount(dib);
  const std::vector<TRGBQuad>& table = dib.Colors();
  TDIB T;
  newdib(T, m.DestWidth, m.DestHeight, DIBBitCount(dib),
         colours <= 256 && !table.empty() ? table.data() : nullptr,
         colours <= 256 ? static_cast<int>(table.size()) : 0);
  if (!T.HasBits()) return false;
  for (int32_t j = 0; j < m.DestHeight; ++j) {
    const int32_t sy =
        m.DestHeight > 1
            ? static_cast<int32_t>(m.SrcY + int64_t{m.SrcHeight - 1} * j / (m.DestHeight - 1))
            : m.SrcY;
    for (int32_t i = 0; i < m.DestWidth; ++i) {
      const int32_t sx =
          m.DestWidth > 1
              ? static_cast<int32_t>(m.SrcX + int64_t{m.SrcWidth - 1} * i / (m.DestWidth - 1))
              : m.SrcX;
      // Pixels of every depth are copied as their value: bits, nibbles, bytes alike.
      setpixel(T, i, j, getpixel(dib, sx, sy));
    }
  }
  const int lines =
      dc.SetDIBitsToDevice(m.X, m.Y, m.DestWidth, m.DestHeight, 0, 0, 0, m.DestHeight, T);
  deldib(T);
  return lines != 0;
}

// Last fallback: the whole bitmap into a bitmap of the device's own format, stretched from
// there.
void DrawThroughCompatibleBitmap(TDeviceContext& dc, const TMapping& m, const TDIB& dib,
                                 uint32_t rop) {
  const int32_t H = DIBHeight(dib);
  const std::unique_ptr<TCompatibleBitmap> bitmap = dc.CreateCompatibleBitmap(DIBWidth(dib), H);
  if (!bitmap) {
    dc.ShowMessage("Konnte Bitmap nicht erzeugen!");
    return;
  }
  if (dc.SetDIBits(*bitmap, 0, H, dib) == 0) {
    dc.ShowMessage("Das Gerät unterstützt die Funtkion setdibits nicht!");
  }
  // The compatible bitmap holds the picture upright: its rows count from the top.
  if (!dc.StretchBlt(m.X, m.Y, m.DestWidth, m.DestHeight, *bitmap, m.SrcX, H - m.SrcY - m.SrcHeight,
                     m.SrcWidth, m.SrcHeight, rop)) {
    dc.ShowMessage("Das Gerät unterstützt die Funktion StretchBlt nicht!");
  }
}

// The row routines' common loop: bytes per pixel 3 or 1, L made by the caller.
void StretchRows(TDeviceContext& dc, int32_t X, int32_t Y, int32_t DestWidth, int32_t DestHeight,
                 const TDIB& dib, int32_t SrcX, int32_t SrcTop, int32_t SrcWidth, int32_t SrcHeight,
                 int bytes, TDIB& L) {
  const int32_t W = DIBWidth(dib);
  const int32_t H = DIBHeight(dib);
  const int64_t row_bytes = dib.RowBytes();
  const uint8_t* bits = dib.Bitmap()->Bits.data();
  uint8_t* line = L.Row(0);
  const std::size_t line_bytes = static_cast<std::size_t>(L.RowBytes());

  // The byte offset of each destination column's source pixel in its row.
  std::vector<int64_t> col(static_cast<std::size_t>(DestWidth));
  int32_t first = -1;
  int32_t last = -1;
  for (int32_t i = 0; i < DestWidth; ++i) {
    const int64_t c = (SrcX + int64_t{SrcWidth} * i / DestWidth) * bytes;
    col[static_cast<std::size_t>(i)] = c;
    if (c >= 0 && c < int64_t{W} * bytes) {
      if (first < 0) first = i;
      last = i;
    }
  }
  const TRect clip = dc.ClipBox();
  const int32_t from = std::max<int64_t>(first, int64_t{clip.Left} - X);
  const int32_t to = std::min<int64_t>(last, int64_t{clip.Right} - 1 - X);
  const int32_t r_from = std::max<int64_t>(0, int64_t{clip.Top} - Y);
  const int32_t r_to = std::min<int64_t>(DestHeight, int64_t{clip.Bottom} - Y);

  const int64_t last_offset = int64_t{H - 1} * row_bytes;
  int64_t previous = -1;
  for (int32_t r = r_from; r < r_to; ++r) {
    const int64_t s = SrcTop + int64_t{SrcHeight} * r / DestHeight;
    const int64_t offset = (H - 1 - s) * row_bytes;
    if (offset < 0 || offset > last_offset) {
      std::memset(line, 0, line_bytes);
    } else if (offset != previous) {
      if (first >= 0) {
        for (int32_t i = from; i <= to; ++i) {
          std::memcpy(line + static_cast<std::ptrdiff_t>(i) * bytes,
                      bits + offset + col[static_cast<std::size_t>(i)],
                      static_cast<std::size_t>(bytes));
        }
      }
      previous = offset;
    }
    dc.SetDIBitsToDevice(X, Y + r, DestWidth, 1, 0, 0, 0, 1, L);
  }
}

// The four ways of drawing, chosen by the bitmap's depth, the screen's depth and the target.
void DrawMapped(TDeviceContext& dc, const TMapping& m, const TDIB& dib, bool printer, bool halftone,
                uint32_t rop, TPalette palette) {
  const int bits = DIBBitCount(dib);
  const int32_t src_top = DIBHeight(dib) - m.SrcY - m.SrcHeight;
  // A halftoned copy that cannot be made (too large) leaves the picture to the other ways.
  if (bits == 24 && halftone && dc.ScreenBitsPerPixel() <= 8 &&
      DrawHalftoned(dc, m, dib, rop, palette)) {
    return;
  }
  if (bits == 24 && !printer) {
    StretchRows24(dc, m.X, m.Y, m.DestWidth, m.DestHeight, dib, m.SrcX, src_top, m.SrcWidth,
                  m.SrcHeight);
    return;
  }
  if (bits == 8 && !printer) {
    StretchRows8(dc, m.X, m.Y, m.DestWidth, m.DestHeight, dib, m.SrcX, src_top, m.SrcWidth,
                 m.SrcHeight);
    return;
  }
  if (dc.StretchDIBits(m.X, m.Y, m.DestWidth, m.DestHeight, m.SrcX, m.SrcY, m.SrcWidth, m.SrcHeight,
                       dib, rop) != GDI_ERROR) {
    return;
  }
  if ((dc.RasterCaps() & RC_DIBTODEV) != 0 && DrawResampled(dc, m, dib)) return;
  DrawThroughCompatibleBitmap(dc, m, dib, rop);
}

}  // namespace

void StretchRows24(TDeviceContext& dc, int32_t X, int32_t Y, int32_t DestWidth, int32_t DestHeight,
                   const TDIB& dib, int32_t SrcX, int32_t SrcTop, int32_t SrcWidth,
                   int32_t SrcHeight) {
  if (DestWidth <= 0 || DestHeight <= 0 || !dib.HasBits() || DIBBitCount(dib) != 24) return;
  TDIB L;
  newdib(L, DestWidth, 1, 24);
  if (!L.HasBits()) return;
  StretchRows(dc, X, Y, DestWidth, DestHeight, dib, SrcX, SrcTop, SrcWidth, SrcHeight, 3, L);
  deldib(L);
}

void StretchRows8(TDeviceContext& dc, int32_t X, int32_t Y, int32_t DestWidth, int32_t DestHeight,
                  const TDIB& dib, int32_t SrcX, int32_t SrcTop, int32_t SrcWidth,
                  int32_t SrcHeight) {
  if (DestWidth <= 0 || DestHeight <= 0 || !dib.HasBits() || DIBBitCount(dib) != 8) return;
  TDIB L;
  newdib(L, DestWidth, 1, 8, dib.Colors().data(), static_cast<int>(dib.Colors().size()));
  if (!L.HasBits()) return;
  StretchRows(dc, X, Y, DestWidth, DestHeight, dib, SrcX, SrcTop, SrcWidth, SrcHeight, 1, L);
  deldib(L);
}

void StretchDrawDIB(TDeviceContext& dc, int32_t X, int32_t Y, int32_t DestWidth, int32_t DestHeight,
                    const TDIB& dib, int32_t SrcX, int32_t SrcY, int32_t SrcWidth,
                    int32_t SrcHeight, bool Halftone, uint32_t Rop, bool UseDIBPalette,
                    TPalette Palette) {
  const bool printer = dc.Technology() == TTechnology::RasPrinter;
  dc.SetStretchBltMode(COLORONCOLOR);
  if (!dib.HasBits()) return;
  const int32_t W = DIBWidth(dib);
  const int32_t H = DIBHeight(dib);
  TMapping m{X, Y, DestWidth, DestHeight, SrcX, SrcY, SrcWidth, SrcHeight};
  if (!ClipToBitmap(m, W, H)) return;

  const TPalette palette = UseDIBPalette ? (dib.HasPalette() ? &dib.Colors() : nullptr) : Palette;
  TPalette previous = nullptr;
  if (dib.HasPalette()) {
    previous = dc.SelectPalette(palette);
    dc.RealizePalette();
  }
  DrawMapped(dc, m, dib, printer, Halftone, Rop, palette);
  if (dib.HasPalette()) dc.SelectPalette(previous);
}

}  // namespace paginor
