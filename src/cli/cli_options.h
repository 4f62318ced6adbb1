// The command line of paginor-convert.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace paginor {

struct TCliOptions {
  std::string input;
  std::optional<std::string> password;
  std::optional<std::string> images_dir;    // --images
  std::string image_base = "Bild";          // --image-base
  std::optional<std::string> image_format;  // --image-format, one of the eleven extensions
  bool read_images = true;                  // off with --no-images
  bool info = false;
  bool quiet = false;
  bool progress = false;
  bool help = false;
  bool version = false;
};

struct TCliParse {
  std::optional<TCliOptions> options;
  std::string error;  // set when options is empty
};

TCliParse ParseCommandLine(const std::vector<std::string>& args);

std::string UsageText();

}  // namespace paginor
