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
  struct Message {
    std::string text;
    std::string caption;
    TMessageIcon icon;
  };

  void ShowProgress() override { events.push_back("show"); }
  void CloseProgress() override { events.push_back("close"); }
  void SetLineLabel(const std::string& text) override { labels.push_back(text); }
  void AddStatusLine(const std::string& line) override { status_lines.push_back(line); }
  void SetProStatus(int percent) override { progress.push_back(percent); }
  void ProcessEvents() override {
    ++events_processed;
    if (on_process_events) on_process_events(events_processed);
  }
  TConvertOptions Options() override { return options; }
  void ShowMessage(const std::string& text, const std::string& caption,
                   TMessageIcon icon) override {
    messages.push_back({text, caption, icon});
  }
  std::optional<std::string> AskPassword() override {
    ++password_prompts;
    if (passwords.empty()) return std::nullopt;
    auto answer = passwords.front();
    passwords.pop_front();
    return answer;
  }
  void SetPageCountLabel(const std::string& text) override { page_count_label = text; }
  void ShowTextTab() override { events.push_back("text tab"); }

  // The message texts alone, for comparisons.
  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const Message& m : messages)
      texts.push_back(m.text);
    return texts;
  }

  TConvertOptions options;
  // Answers of the password prompt in order; nullopt (or running out) cancels.
  std::deque<std::optional<std::string>> passwords;
  // Called on every event processing with its 1-based count (to cancel, say).
  std::function<void(int)> on_process_events;

  std::vector<std::string> events;
  std::vector<std::string> labels;
  std::vector<std::string> status_lines;
  std::vector<int> progress;
  std::vector<Message> messages;
  std::string page_count_label;
  int events_processed = 0;
  int password_prompts = 0;
};

}  // namespace paginor::testing
