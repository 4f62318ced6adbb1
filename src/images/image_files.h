// Writing extracted images as files: the names, the default formats, and JPEG pictures kept
// as they were stored.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "images/image_extraction.h"
#include "images/pixolet.h"

namespace paginor {

// The file type of an extension or format name ("jpg", "GIF", ...), if it is one of the twelve.
std::optional<TDibFormat> FormatFromName(std::string_view name);
// The lower-case extension of a format, without the dot.
std::string ExtensionOf(TDibFormat format);
// JPEG for true-colour pictures, GIF for the others.
TDibFormat DefaultFormatFor(const TImageRec& image);
// base + the image number with at least three digits + "." + extension.
std::string ImageFileName(const std::string& base, int number, TDibFormat format);

// Writes the image; a /DCTDecode picture saved as JPEG or JIF is written as its original
// stream, without re-encoding. False when the file could not be written.
bool SaveImage(const TImageRec& image, const std::string& path, TDibFormat format);

}  // namespace paginor
