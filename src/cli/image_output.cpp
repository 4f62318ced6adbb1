#include "cli/image_output.h"

#include <filesystem>
#include <ostream>
#include <system_error>

#include "images/image_files.h"

namespace paginor {

bool WriteImages(const TDocumentState& state, const std::string& dir, const std::string& base,
                 std::optional<TDibFormat> format, std::ostream& err) {
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  bool ok = true;
  int number = 0;
  for (const TImageRec& image : state.Images) {
    const TDibFormat type = format.value_or(DefaultFormatFor(image));
    const std::filesystem::path path =
        std::filesystem::path(dir) / ImageFileName(base, ++number, type);
    if (!SaveImage(image, path.string(), type)) {
      err << "paginor-convert: Das Bild kann nicht geschrieben werden: " << path.string() << '\n';
      ok = false;
    }
  }
  return ok;
}

}  // namespace paginor
