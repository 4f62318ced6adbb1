// The document as a Rich Text Format (RTF 1.x) file in Windows-1252.
#pragma once

#include <string>

#include "output/document.h"

namespace paginor {

// Font table from the face names in use (DefaultFont first, as \f0), colour table from the
// explicit colours in use (the automatic colour is \cf0), sizes in half-points, bold, italic,
// underline and strike-out, one \par per document line (Lines.Count of them) with its
// alignment, and bulleted lines as a hanging "\bullet\tab". Only integers are written, so the
// output does not depend on the locale.
std::string DocumentToRTF(const TRichDocument& doc);

}  // namespace paginor
