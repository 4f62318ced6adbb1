// A host that records what a conversion shows, in order, and answers the password prompt
// from a script.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "convert/host.h"

namespace paginor::testing {

class RecordingHost final : public TConversionHost {
 public:
  struct ShownMessage {
    std::string text;
    std::string caption;
    TMessageIcon icon;
  };

  void BeginProgress() override { events.push_back("begin"); }
  void EndProgress() override { events.push_back("end"); }
  void SetStep(const std::string& text) override { steps.push_back(text); }
  void StatusLine(const std::string& line) override { status_lines.push_back(line); }
  void SetProgress(int percent) override { progress.push_back(percent); }
  bool PumpAndCancel() override {
    ++pumps;
    if (on_pump) on_pump(pumps);
    return go_on;
  }
  TConvertOptions Options() override { return options; }
  void Message(const std::string& text, const std::string& caption, TMessageIcon icon) override {
    messages.push_back({text, caption, icon});
  }
  std::optional<std::string> AskPassword() override {
    ++password_prompts;
    if (passwords.empty()) return std::nullopt;
    auto answer = passwords.front();
    passwords.pop_front();
    return answer;
  }
  void SetPageCount(int count) override { page_count = count; }
  void Done() override { events.push_back("done"); }

  // The message texts alone, for comparisons.
  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const ShownMessage& m : messages)
      texts.push_back(m.text);
    return texts;
  }

  TConvertOptions options;
  // Answers of the password prompt in order; nullopt (or running out) cancels.
  std::deque<std::optional<std::string>> passwords;
  // Called on every pump with its 1-based count (to cancel, say).
  std::function<void(int)> on_pump;
  // What every pump answers: false asks the conversion to stop.
  bool go_on = true;

  std::vector<std::string> events;
  std::vector<std::string> steps;
  std::vector<std::string> status_lines;
  std::vector<int> progress;
  std::vector<ShownMessage> messages;
  std::optional<int> page_count;  // nothing until the conversion tells it
  int pumps = 0;
  int password_prompts = 0;
};

}  // namespace paginor::testing
