#include "cli/console_host.h"

#include <ostream>

namespace paginor {

TConsoleHost::TConsoleHost(Settings settings, std::ostream& status_out, std::ostream& err)
    : settings_(std::move(settings)), status_out_(status_out), err_(err) {}

void TConsoleHost::EndProgress() {
  if (bar_drawn_) err_ << '\n';
  bar_drawn_ = false;
}

void TConsoleHost::StatusLine(const std::string& line) {
  if (settings_.quiet) return;
  if (bar_drawn_ && &status_out_ == &err_) err_ << '\n';
  bar_drawn_ = false;
  status_out_ << line << '\n';
}

void TConsoleHost::SetProgress(int percent) {
  if (!settings_.progress) return;
  constexpr int kWidth = 40;
  const int filled = percent * kWidth / 100;
  err_ << '\r' << '[' << std::string(static_cast<std::size_t>(filled), '#')
       << std::string(static_cast<std::size_t>(kWidth - filled), ' ') << "] " << percent << " %"
       << std::flush;
  bar_drawn_ = true;
}

void TConsoleHost::Message(const std::string& text, const std::string& caption,
                           TMessageIcon /*icon*/) {
  if (bar_drawn_) err_ << '\n';
  bar_drawn_ = false;
  err_ << caption << ": " << text << '\n';
}

std::optional<std::string> TConsoleHost::AskPassword() {
  if (password_given_ || !settings_.password) return std::nullopt;
  password_given_ = true;
  return settings_.password;
}

}  // namespace paginor
