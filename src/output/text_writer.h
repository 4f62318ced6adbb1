// The document as a plain text file.
#pragma once

#include <string>

#include "output/document.h"

namespace paginor {

// One document line per file line (Lines.Count of them), each ended by LF, in UTF-8; without
// the image links unless the document keeps them in plain text.
std::string DocumentToPlainText(const TRichDocument& doc);

}  // namespace paginor
