// Writing the program's files so that a failure never costs the user data: every file goes to
// a temporary file in its target folder and is renamed over the target only once it is
// complete and on disk. A failed write leaves an existing file exactly as it was.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "images/image_extraction.h"
#include "images/pixolet.h"

namespace paginor {

// Hands a file's bytes to the writer piece by piece; false from the writer: stop, it failed.
using TByteSink = std::function<bool(std::string_view)>;

// Writes what produce hands to its sink as the file at path (UTF-8). Nothing on success;
// otherwise why the file could not be written, as a German sentence for the user.
std::optional<std::string> WriteFileAtomically(
    const std::string& path, const std::function<bool(const TByteSink&)>& produce);
std::optional<std::string> WriteFileAtomically(const std::string& path, std::string_view bytes);

// An extracted picture as the file of a format: a /DCTDecode picture saved as JPEG or JIF is
// its original stream, anything else is encoded. Empty when the format cannot hold it.
std::string ImageFileBytes(const TImageRec& image, TDibFormat format);
// WriteFileAtomically of ImageFileBytes; a picture the format cannot hold is a failure too.
// decoded, when it holds the picture's bitmap already, spares decoding it again.
std::optional<std::string> SaveImageFile(const TImageRec& image, const std::string& path,
                                         TDibFormat format, const TDIB& decoded = {});
std::optional<std::string> SaveDibFile(const TDIB& dib, const std::string& path, TDibFormat format);

}  // namespace paginor
