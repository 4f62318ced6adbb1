// /JBIG2Decode pictures (embedded JBIG2 streams with their /JBIG2Globals), decoded with jbig2dec.
#pragma once

#include <cstdint>
#include <string_view>

#include "images/pixolet.h"

namespace paginor {

// The first page of the stream into a 1-bit bitmap, 1 bits black (white when inverted by a
// /Decode [1 0]). jbig2dec allocates through a budget of max_bytes plus a small reserve; a
// stream that needs more, or fails, leaves dib empty.
void ReadJbig2(TDIB& dib, std::string_view data, std::string_view globals, bool inverted,
               int64_t max_bytes);

}  // namespace paginor
