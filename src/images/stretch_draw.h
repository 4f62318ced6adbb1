// StretchDrawDIB: the one routine through which a TDIB is drawn, whole or in part, scaled
// into a rectangle of a device context: the gallery's thumbnails, the viewer, the print
// preview and the printed page.
#pragma once

#include <cstdint>

#include "images/device_context.h"
#include "images/pixolet.h"

namespace paginor {

inline int32_t DIBWidth(const TDIB& dib) {
  return dib.Width();
}
inline int32_t DIBHeight(const TDIB& dib) {
  return dib.Height();
}
inline int DIBBitCount(const TDIB& dib) {
  return dib.BitCount();
}
// 2 to the power of the bit count.
inline int64_t DIBColorCount(const TDIB& dib) {
  return dib.BitCount() >= 0 && dib.BitCount() < 63 ? int64_t{1} << dib.BitCount() : 0;
}

// Draws the source rectangle (src_y counts stored rows, the first being the picture's
// bottom) into the destination. It halftones 24-bit pictures on palette screens when
// halftone is allowed, scales 24- and 8-bit pictures on screens row by row itself, and leaves
// everything else to the device's StretchDIBits, with two fallbacks when that fails. The
// source is first clipped to the bitmap, the destination scaled with it. The palette is the
// bitmap's own colour table when use_dib_palette is set, otherwise palette. Never fails
// towards the caller: only the last fallback reports, through the device's message box.
void StretchDrawDIB(TDeviceContext& dc, int32_t X, int32_t Y, int32_t DestWidth, int32_t DestHeight,
                    const TDIB& dib, int32_t SrcX, int32_t SrcY, int32_t SrcWidth,
                    int32_t SrcHeight, bool Halftone, uint32_t Rop, bool UseDIBPalette,
                    TPalette Palette);

// Nearest-neighbour scaling of a 24-bit (8-bit) bitmap, one destination row at a time,
// drawn with SetDIBitsToDevice. src_top counts rows from the picture's top. Source pixels
// outside the bitmap come out black. Rows outside the device's clip box are neither built
// nor drawn: they would not show.
void StretchRows24(TDeviceContext& dc, int32_t X, int32_t Y, int32_t DestWidth, int32_t DestHeight,
                   const TDIB& dib, int32_t SrcX, int32_t SrcTop, int32_t SrcWidth,
                   int32_t SrcHeight);
void StretchRows8(TDeviceContext& dc, int32_t X, int32_t Y, int32_t DestWidth, int32_t DestHeight,
                  const TDIB& dib, int32_t SrcX, int32_t SrcTop, int32_t SrcWidth,
                  int32_t SrcHeight);

}  // namespace paginor
