// The one seam through which the program's modal dialogs and message boxes run, so that
// tests can answer them and nothing blocks an automated run.
#pragma once

#include <QFont>
#include <QMessageBox>
#include <QString>
#include <memory>
#include <optional>

class QWidget;

namespace paginor {

class TEnterPassForm;

class TDialogs {
 public:
  virtual ~TDialogs() = default;
  virtual QMessageBox::StandardButton Message(QWidget* parent, const QString& text,
                                              const QString& caption, QMessageBox::Icon icon,
                                              QMessageBox::StandardButtons buttons);
  // Shows the password prompt modally: the entered text, or nothing on cancel.
  virtual std::optional<QString> Password(TEnterPassForm& form);
  // A save dialog: the chosen path, or empty when cancelled.
  virtual QString SaveFileName(QWidget* parent, const QString& caption, const QString& filter,
                               const QString& default_suffix, const QString& directory);
  virtual std::optional<QFont> ChooseFont(QWidget* parent, const QFont& initial);
  virtual QString ChooseFolder(QWidget* parent, const QString& initial);
  // The modal information window.
  virtual void Info(QWidget* parent);
};

TDialogs& Dialogs();
// Replaces the dialogs (tests); returns the previous ones.
std::unique_ptr<TDialogs> SetDialogs(std::unique_ptr<TDialogs> dialogs);

}  // namespace paginor
