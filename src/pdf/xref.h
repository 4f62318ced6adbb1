// The end of the file, the chain of classic cross-reference sections and their trailers.
#pragma once

#include "pdf/doc_reader.h"

namespace paginor {

// Reads from the end of the buffer: "%%EOF", "startxref", then every section from the newest
// to the oldest. Fills XrefTable, /Root, /Encrypt and /ID, or sets Invalid.
void ReadXrefAndTrailer(TDocReader& reader);

// Takes /Root, /Encrypt, /ID (and /XRefStm when asked) from trailer entries; returns /Prev, or
// prev when there is none.
int64_t ApplyTrailerEntries(TDocReader& reader, const TDictEntry* begin, const TDictEntry* end,
                            int64_t prev, int64_t* xref_stream);

// Object numbers from this on are not stored: every object takes more than four bytes of the
// file, and a hostile count must not make us allocate gigabytes.
int64_t XrefTableLimit(const TDocReader& reader);

}  // namespace paginor
