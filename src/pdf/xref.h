// The end of the file, the chain of classic cross-reference sections and their trailers.
#pragma once

#include "pdf/doc_reader.h"

namespace paginor {

// Reads from the end of the buffer: "%%EOF", "startxref", then every section from the newest
// to the oldest. Fills XrefTable, /Root, /Encrypt and /ID, or sets Invalid.
void ReadXrefAndTrailer(TDocReader& reader);

}  // namespace paginor
