// A whole conversion of a file's bytes through the driver with the recording host and the fake
// measuring font: the text it leaves in the document and what it reported on the way.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "convert/conversion.h"
#include "support/recording_host.h"

namespace paginor::testing {

struct Converted {
  std::string text;
  TConversionResult result;
  std::vector<std::string> status;
  std::vector<RecordingHost::ShownMessage> messages;
  int prompts = 0;

  std::vector<std::string> MessageTexts() const;
};

// `passwords` answer the password prompts in turn; with `modern` off the classic reader runs.
Converted Convert(std::string file, bool modern = true,
                  std::vector<std::optional<std::string>> passwords = {});

}  // namespace paginor::testing
