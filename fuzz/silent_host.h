// A host that answers nothing: no password, no cancel. Enough to drive a whole conversion
// from a fuzzer.
#pragma once

#include "convert/host.h"

namespace paginor {

class TSilentHost final : public TConversionHost {
 public:
  void ShowProgress() override {}
  void CloseProgress() override {}
  void SetLineLabel(const std::string&) override {}
  void AddStatusLine(const std::string&) override {}
  void SetProStatus(int) override {}
  void ProcessEvents() override {}
  TConvertOptions Options() override { return {}; }
  void ShowMessage(const std::string&, const std::string&, TMessageIcon) override {}
  std::optional<std::string> AskPassword() override { return std::nullopt; }
  void SetPageCountLabel(const std::string&) override {}
  void ShowTextTab() override {}
};

}  // namespace paginor
