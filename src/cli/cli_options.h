// The command line of paginor-convert.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "convert/options.h"

namespace paginor {

struct TCliOptions {
  std::string input;
  std::optional<std::string> text_file;     // --text
  std::optional<std::string> html_file;     // --html
  std::optional<std::string> rtf_file;      // --rtf
  std::optional<std::string> images_dir;    // --images
  std::string image_base = "Bild";          // --image-base
  std::optional<std::string> image_format;  // --image-format, one of the twelve extensions
  std::optional<std::string> password;
  std::string font = "Arial";  // --font
  int font_px = 15;            // --font-px
  int dpi = 96;                // --dpi
  TConvertOptions convert;     // the layout and image options
  bool info = false;
  bool quiet = false;
  bool progress = false;
  bool help = false;
  bool version = false;
  // Nothing to write: the text goes to standard output.
  bool TextToStdout() const {
    return !text_file && !html_file && !rtf_file && !images_dir && !info;
  }
};

struct TCliParse {
  std::optional<TCliOptions> options;
  std::string error;  // set when options is empty
};

TCliParse ParseCommandLine(const std::vector<std::string>& args);

std::string UsageText();

}  // namespace paginor
