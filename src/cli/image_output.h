#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "convert/document_state.h"
#include "images/pixolet.h"

namespace paginor {

// Writes every image into dir as base + number + extension, in the given format or each
// image's default. Reports each file that could not be written on err; false then.
bool WriteImages(const TDocumentState& state, const std::string& dir, const std::string& base,
                 std::optional<TDibFormat> format, std::ostream& err);

}  // namespace paginor
