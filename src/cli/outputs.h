// The files paginor-convert writes after a conversion.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "convert/document_state.h"
#include "convert/host.h"
#include "images/pixolet.h"

namespace paginor {

// Each returns false, after a message on err, when the file cannot be written.
bool WriteTextFile(const TDocumentState& state, const std::string& path, std::ostream& err);
bool WriteRtfFile(const TDocumentState& state, const std::string& path, std::ostream& err);
// The HTML page, with every image beside it under the name its link gives.
bool WriteHtmlFile(TDocumentState& state, TConversionHost& host, const std::string& path,
                   std::ostream& err);
// Every image into dir as base + number + extension, in the given format or each image's own.
bool WriteImages(const TDocumentState& state, const std::string& dir, const std::string& base,
                 std::optional<TDibFormat> format, std::ostream& err);

}  // namespace paginor
