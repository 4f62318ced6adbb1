#pragma once

#include <cstdint>
#include <string>

#include "images/image_attributes.h"
#include "images/pixolet.h"

namespace paginor {

// Turns inflated (and un-predicted) samples into a bitmap: 8-bit RGB data of exactly
// width × height × 3 bytes into 24 bits, first row at the top; one-component data of 1, 2,
// 4, 8 or 16 bits into a palette bitmap coloured by the image's own colour space; 16-bit RGB
// into 24 bits; for the modern reader CMYK data of 8 or 16 bits into 24-bit RGB. Data the
// bitmap cannot show leave dib empty.
void FlateSamplesToDib(TDIB& dib, const std::string& samples, int32_t width, int32_t height,
                       int bits_per_component, const TImageAttributes& attributes);
// The depth of the bitmap FlateSamplesToDib makes from that many bytes of samples, known
// without them; 0 when it makes none.
int FlateBitmapDepth(int64_t size, int32_t width, int32_t height, int bits_per_component,
                     const TImageAttributes& attributes);

}  // namespace paginor
