// Page attributes that a page takes from the nodes above it, for the modern reader.
#pragma once

#include "pdf/doc_reader.h"

namespace paginor {

// For every page: /Resources, /MediaBox, /CropBox and /Rotate from the nearest ancestor
// (through the /Parent chain) where the page has none of its own; an indirect box array is
// followed; the crop box, where there is one, gives the page's size and origin.
void ApplyInheritedAttributes(TDocReader& reader);

}  // namespace paginor
