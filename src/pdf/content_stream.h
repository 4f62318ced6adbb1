// Reading one page's content: each content stream in /Contents order, decrypted, its filters
// undone, joined into one buffer.
#pragma once

#include <string>

#include "pdf/doc_reader.h"
#include "pdf/status.h"

namespace paginor {

struct TPageContent {
  std::string ContentBuffer;  // every stream read, each followed by one LF
  bool PageOk = true;         // false when a stream uses a filter we cannot decode
};

// page_number is 1-based and only used in the status line of an unsupported filter.
TPageContent ReadPageContent(TDocReader& reader, TPageRec& page, int page_number,
                             const TStatusSink& status);

}  // namespace paginor
