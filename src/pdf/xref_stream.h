// Cross-reference streams (/Type /XRef) and the stream objects of the modern reader.
#pragma once

#include <optional>
#include <string>

#include "pdf/doc_reader.h"

namespace paginor {

// Reads the cross-reference stream object at offset into the table (entries already loaded
// keep theirs) and its trailer entries; prev gets its /Prev. False when there is none.
bool ReadXrefStream(TDocReader& reader, int32_t offset, int32_t& prev);

// The decoded data of the stream object whose dictionary entries are given, the cursor
// resting after its dictionary: /Length (direct, indirect, or up to "endstream"), decryption
// with the object's key when encrypt is set, then its generic filters (ASCII85, ASCIIHex,
// Flate and LZW with their predictors, RunLength). Nothing when the data cannot be found or a
// filter is not one of these.
std::optional<std::string> ReadStreamData(TDocReader& reader, int32_t num, int32_t gen,
                                          bool encrypt);

}  // namespace paginor
