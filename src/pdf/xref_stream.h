// Cross-reference streams (/Type /XRef) of the modern reader.
#pragma once

#include <optional>
#include <string>

#include "pdf/doc_reader.h"

namespace paginor {

// Reads the cross-reference stream object at offset into the table (entries already loaded
// keep theirs) and its trailer entries; prev gets its /Prev. False when there is none.
bool ReadXrefStream(TDocReader& reader, int64_t offset, int64_t& prev);

}  // namespace paginor
