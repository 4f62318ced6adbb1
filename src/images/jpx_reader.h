// /JPXDecode pictures (JPEG 2000 codestreams and JP2 files), decoded with OpenJPEG.
#pragma once

#include <cstdint>
#include <string_view>

#include "images/image_attributes.h"
#include "images/pixolet.h"

namespace paginor {

// One component into 8 bits (grey, or the /Indexed table), three into 24-bit RGB, four into
// RGB from CMYK when the picture or its /ColorSpace says CMYK (else the fourth is alpha and
// dropped). A picture whose header promises more than max_bytes of samples is not decoded;
// failure leaves dib empty.
void ReadJpx(TDIB& dib, std::string_view data, const TImageAttributes& attributes,
             int64_t max_bytes);

}  // namespace paginor
