// Answers the program's dialogs from a script and records what they were asked.
#pragma once

#include <QDialog>
#include <deque>
#include <functional>
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
    // An answer of "cancelled" stays one; a text is handed over as a text.
    const bool cancelled = !passwords.front().has_value();
    const QString text = cancelled ? QString() : *passwords.front();
    passwords.pop_front();
    if (cancelled) return std::nullopt;
    return text;
  }
  QString SaveFileName(QWidget*, const QString&, const QString& filter, const QString&,
                       const QString& directory) override {
    filters.push_back(filter);
    save_suggestions.push_back(directory);
    if (save_names.empty()) return {};
    QString next = save_names.front();
    save_names.pop_front();
    return next;
  }
  std::optional<QFont> ChooseFont(QWidget*, const QFont& initial) override {
    ++font_dialogs;
    font_offered = initial;
    return font;
  }
  QString ChooseFolder(QWidget*, const QString&) override { return folder; }
  void Info(QWidget*) override { ++infos; }
  // The window is shown (not modally) while the script acts on it, then hidden again.
  int Exec(QDialog& dialog) override {
    executed.push_back(dialog.windowTitle());
    if (!on_exec) return QDialog::Rejected;
    dialog.show();
    const int result = on_exec(dialog);
    dialog.hide();
    return result;
  }
  std::optional<TTypedName> SaveFileWithType(QWidget*, const QString&, const QStringList& types,
                                             int type, const QString& directory) override {
    typed_save_types = types;
    typed_save_suggestions.push_back(directory);
    typed_save_offered.push_back(type);
    if (typed_saves.empty()) return std::nullopt;
    auto next = typed_saves.front();
    typed_saves.pop_front();
    return next;
  }
  bool PrinterSetup(QWidget*, QPrinter& printer) override {
    ++printer_setups;
    if (on_printer_setup) on_printer_setup(printer);
    return true;
  }

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
  QFont font_offered;  // the font the last font dialog opened on
  QString folder;
  std::vector<Shown> messages;
  std::vector<QString> filters;
  std::vector<QString> save_suggestions;  // where each save dialog opened, with the name
  int password_prompts = 0;
  int infos = 0;
  int font_dialogs = 0;
  // What a modal window does while it is shown; without it the window is cancelled.
  std::function<int(QDialog&)> on_exec;
  std::vector<QString> executed;  // window titles, in order
  std::deque<TTypedName> typed_saves;
  QStringList typed_save_types;
  std::vector<int> typed_save_offered;          // the type each save dialog started with
  std::vector<QString> typed_save_suggestions;  // where each opened, with the name
  std::function<void(QPrinter&)> on_printer_setup;
  int printer_setups = 0;
};

}  // namespace paginor::testing
