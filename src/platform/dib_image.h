// TDIB pixels as Qt images: a rectangle of a bitmap as it is, or scaled by nearest neighbour.
#pragma once

#include <QImage>
#include <QRect>
#include <cstdint>

#include "images/pixolet.h"

namespace paginor {

// The rectangle of columns src_x.. and stored rows src_y.. (src_y is its bottom row) as an
// upright RGB32 image; pixels outside the bitmap are black. A null image when the bitmap
// holds nothing or the image cannot be made.
QImage DibToImage(const TDIB& dib, int32_t src_x, int32_t src_y, int32_t width, int32_t height);
QImage DibToImage(const TDIB& dib);

// The part of a dest_width × dest_height scaling of the source rectangle that lies in part
// (destination coordinates). Destination column i shows source column
// src_x + src_width × i div dest_width, destination row j the source row
// src_height × j div dest_height below the rectangle's top: the mapping of the row routines.
QImage ScaleDibNearest(const TDIB& dib, int32_t src_x, int32_t src_y, int32_t src_width,
                       int32_t src_height, int32_t dest_width, int32_t dest_height,
                       const QRect& part);

}  // namespace paginor
