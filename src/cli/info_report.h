#pragma once

#include <iosfwd>

#include "convert/document_state.h"

namespace paginor {

// The page count and each page's size in points, as --info prints them.
void WriteInfoReport(const TDocumentState& state, std::ostream& out);

}  // namespace paginor
