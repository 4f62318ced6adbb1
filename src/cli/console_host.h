// The console as the conversion's user: status lines and messages on the terminal, the
// password from the command line.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "convert/host.h"

namespace paginor {

class TConsoleHost final : public TConversionHost {
 public:
  struct Settings {
    std::optional<std::string> password;
    bool quiet = false;
    bool progress = false;
    TConvertOptions options;
  };
  // Status lines go to status_out (stdout for --info, stderr otherwise); messages, the
  // progress bar and the password prompt's refusal go to err.
  TConsoleHost(Settings settings, std::ostream& status_out, std::ostream& err);

  void ShowProgress() override {}
  void CloseProgress() override;
  void SetLineLabel(const std::string&) override {}
  void AddStatusLine(const std::string& line) override;
  void SetProStatus(int percent) override;
  void ProcessEvents() override {}
  TConvertOptions Options() override { return settings_.options; }
  void ShowMessage(const std::string& text, const std::string& caption, TMessageIcon icon) override;
  // The password of the command line, once; asking again means it was wrong.
  std::optional<std::string> AskPassword() override;
  void SetPageCountLabel(const std::string&) override {}
  void ShowTextTab() override {}

 private:
  Settings settings_;
  std::ostream& status_out_;
  std::ostream& err_;
  bool password_given_ = false;
  bool bar_drawn_ = false;
};

}  // namespace paginor
