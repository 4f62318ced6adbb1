// The one seam through which the program's modal dialogs and message boxes run, so that
// tests can answer them and nothing blocks an automated run.
#pragma once

#include <QFont>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>

class QDialog;
class QFileDialog;
class QPrinter;
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
  // Shows one of the program's own windows modally; its result (QDialog::Accepted, ...).
  virtual int Exec(QDialog& dialog);
  // A save dialog offering file types: the name as typed, no extension added (the overwrite
  // question concerns that name), and the chosen type counted from 1. Nothing on cancel.
  struct TTypedName {
    QString path;
    int type = 1;
  };
  virtual std::optional<TTypedName> SaveFileWithType(QWidget* parent, const QString& caption,
                                                     const QStringList& types, int type,
                                                     const QString& directory);
  // The printer set-up dialog; false when cancelled.
  virtual bool PrinterSetup(QWidget* parent, QPrinter& printer);
};

// The save dialog of SaveFileName, not yet shown.
std::unique_ptr<QFileDialog> MakeSaveDialog(QWidget* parent, const QString& caption,
                                            const QString& filter, const QString& default_suffix,
                                            const QString& directory);

// A plain message box without owner or icon, with one OK button; the program's title as its
// caption.
void PlainMessage(const std::string& text);

TDialogs& Dialogs();
// Replaces the dialogs (tests); returns the previous ones.
std::unique_ptr<TDialogs> SetDialogs(std::unique_ptr<TDialogs> dialogs);

}  // namespace paginor
