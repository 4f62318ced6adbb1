// The conversion driver: one PDF file into the per-document state, in one call, with the
// reading phases in their fixed order and the page loop with progress and cancel.
#pragma once

#include <string>

#include "convert/document_state.h"
#include "convert/host.h"

namespace paginor {

struct TConversionResult {
  bool Started = false;          // false when another long operation was running
  bool Opened = false;           // the file could be read into memory
  bool Invalid = false;          // "Dies ist keine gültige PDF-Datei." was reported
  bool PasswordRefused = false;  // the password prompt was cancelled
  int PageCount = 0;
};

// Converts the file at path (UTF-8). A file that cannot be opened gives no message and an
// emptied document.
TConversionResult openfilenow(TDocumentState& state, TConversionHost& host,
                              const std::string& path);

// The same conversion over bytes already in memory.
TConversionResult ConvertBuffer(TDocumentState& state, TConversionHost& host, std::string bytes);

}  // namespace paginor
