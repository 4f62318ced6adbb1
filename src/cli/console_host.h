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

  void BeginProgress() override {}
  void EndProgress() override;
  void SetStep(const std::string&) override {}
  void StatusLine(const std::string& line) override;
  // A bar on err with --progress.
  void SetProgress(int percent) override;
  // Nothing to let run, and no one to ask for a stop.
  bool PumpAndCancel() override { return true; }
  void SetPageCount(int) override {}
  void Done() override {}
  TConvertOptions Options() override { return settings_.options; }
  void Message(const std::string& text, const std::string& caption, TMessageIcon icon) override;
  // The password of the command line, once; asking again means it was wrong.
  std::optional<std::string> AskPassword() override;

 private:
  Settings settings_;
  std::ostream& status_out_;
  std::ostream& err_;
  bool password_given_ = false;
  bool bar_drawn_ = false;
};

}  // namespace paginor
