// The command line of paginor-convert.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace paginor {

struct TCliOptions {
  std::string input;
  std::optional<std::string> password;
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
