// Answers the program's dialogs from a script and records what they were asked.
#pragma once

#include <deque>
#include <optional>
#include <vector>

#include "app/dialogs.h"

namespace paginor::testing {

class FakeDialogs final : public TDialogs {
 public:
  struct Shown {
    QString text;
    QString caption;
    QMessageBox::Icon icon;
  };
  QMessageBox::StandardButton Message(QWidget*, const QString& text, const QString& caption,
                                      QMessageBox::Icon icon,
                                      QMessageBox::StandardButtons) override {
    messages.push_back({text, caption, icon});
    return answer;
  }
  std::optional<QString> Password(TEnterPassForm&) override {
    ++password_prompts;
    if (passwords.empty()) return std::nullopt;
    auto next = passwords.front();
    passwords.pop_front();
    return next;
  }
  QString SaveFileName(QWidget*, const QString&, const QString& filter, const QString&,
                       const QString&) override {
    filters.push_back(filter);
    if (save_names.empty()) return {};
    QString next = save_names.front();
    save_names.pop_front();
    return next;
  }
  std::optional<QFont> ChooseFont(QWidget*, const QFont&) override { return font; }
  QString ChooseFolder(QWidget*, const QString&) override { return folder; }
  void Info(QWidget*) override { ++infos; }

  std::vector<QString> Texts() const {
    std::vector<QString> texts;
    for (const Shown& m : messages)
      texts.push_back(m.text);
    return texts;
  }

  QMessageBox::StandardButton answer = QMessageBox::Ok;
  std::deque<std::optional<QString>> passwords;
  std::deque<QString> save_names;
  std::optional<QFont> font;
  QString folder;
  std::vector<Shown> messages;
  std::vector<QString> filters;
  int password_prompts = 0;
  int infos = 0;
};

}  // namespace paginor::testing
