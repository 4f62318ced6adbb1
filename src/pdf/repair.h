// Damaged files: checking that the table's offsets lead to their objects, and rebuilding the
// table by scanning the file for "N G obj".
#pragma once

#include "pdf/doc_reader.h"

namespace paginor {

// Whether every object the table places in the file starts there with its own number.
bool OffsetsLeadToObjects(TDocReader& reader);

// Rebuilds the table from the objects the file holds (the last definition of a number wins)
// and takes the trailer from the last "trailer" dictionary, a cross-reference stream or the
// catalog. Sets Repaired and, when a catalog was found, clears Invalid.
void RepairXref(TDocReader& reader);

// Writes the objects of the object streams the table names (or, after a repair, of every
// object stream found) out after the file, so that GotoObject finds them like any other.
// Runs once the security handler has the key.
void ExpandObjectStreams(TDocReader& reader);

}  // namespace paginor
