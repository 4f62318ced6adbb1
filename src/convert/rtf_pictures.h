// The pictures of a conversion as rich text embeds them.
#pragma once

#include "images/image_extraction.h"
#include "output/rtf_writer.h"
#include "pdf/dyna_array.h"

namespace paginor {

// Each picture by its number: a JPEG as stored, any other decoded and written as PNG, at its
// size on the page (at 96 dpi where it was never shown). The list must outlive the result.
TRtfPictures RtfPicturesOf(const TDynaArray<TImageRec>& images);

}  // namespace paginor
