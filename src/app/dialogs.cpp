#include "app/dialogs.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QVBoxLayout>

#include "app/enter_pass_form.h"
#include "app/font_form.h"

namespace paginor {

namespace {

std::unique_ptr<TDialogs>& Current() {
  static std::unique_ptr<TDialogs> dialogs = std::make_unique<TDialogs>();
  return dialogs;
}

}  // namespace

QMessageBox::StandardButton TDialogs::Message(QWidget* parent, const QString& text,
                                              const QString& caption, QMessageBox::Icon icon,
                                              QMessageBox::StandardButtons buttons) {
  QMessageBox box(icon, caption, text, buttons, parent);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

std::optional<QString> TDialogs::Password(TEnterPassForm& form) {
  if (form.exec() != QDialog::Accepted) return std::nullopt;
  return form.PassEd->text();
}

std::unique_ptr<QFileDialog> MakeSaveDialog(QWidget* parent, const QString& caption,
                                            const QString& filter, const QString& default_suffix,
                                            const QString& directory) {
  // A directory that names a file opens in its folder with that name filled in.
  auto dialog = std::make_unique<QFileDialog>(parent, caption, directory, filter);
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setDefaultSuffix(default_suffix);
  dialog->setOption(QFileDialog::DontConfirmOverwrite, false);
  dialog->setOption(QFileDialog::ReadOnly, false);
  return dialog;
}

QString TDialogs::SaveFileName(QWidget* parent, const QString& caption, const QString& filter,
                               const QString& default_suffix, const QString& directory) {
  const auto dialog = MakeSaveDialog(parent, caption, filter, default_suffix, directory);
  if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return {};
  return dialog->selectedFiles().first();
}

std::optional<QFont> TDialogs::ChooseFont(QWidget* parent, const QFont& initial) {
  TFontForm form(initial, parent);
  if (form.exec() != QDialog::Accepted) return std::nullopt;
  return form.Font();
}

QString TDialogs::ChooseFolder(QWidget* parent, const QString& initial) {
  return QFileDialog::getExistingDirectory(parent, "Ausgabeverzeichnis", initial);
}

void TDialogs::Info(QWidget* parent) {
  QDialog info(parent);
  info.setWindowTitle("Info");
  auto* layout = new QVBoxLayout(&info);
  auto* text = new QLabel(
      "<h2>Paginor 1.4</h2>"
      "<p>Wandelt PDF-Dateien in Text, Richtext und HTML um<br>und zieht die Bilder heraus.</p>"
      "<p>Der Text wird mit Leerzeichen und Leerzeilen so gesetzt,<br>dass er aussieht wie die "
      "Seite.</p>",
      &info);
  layout->addWidget(text);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &info);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &info, &QDialog::accept);
  layout->addWidget(buttons);
  info.exec();
}

int TDialogs::Exec(QDialog& dialog) {
  return dialog.exec();
}

std::optional<TDialogs::TTypedName> TDialogs::SaveFileWithType(QWidget* parent,
                                                               const QString& caption,
                                                               const QStringList& types, int type,
                                                               const QString& directory) {
  QFileDialog dialog(parent, caption, directory);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters(types);
  if (type >= 1 && type <= types.size()) dialog.selectNameFilter(types[type - 1]);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
  dialog.setOption(QFileDialog::ReadOnly, false);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const int chosen = static_cast<int>(types.indexOf(dialog.selectedNameFilter())) + 1;
  return TTypedName{dialog.selectedFiles().first(), chosen > 0 ? chosen : type};
}

bool TDialogs::PrinterSetup(QWidget* parent, QPrinter& printer) {
  QPrintDialog dialog(&printer, parent);
  dialog.setWindowTitle("Drucker einrichten");
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
  dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, false);
  return dialog.exec() == QDialog::Accepted;
}

void PlainMessage(const std::string& text) {
  Dialogs().Message(nullptr, QString::fromStdString(text), "Paginor", QMessageBox::NoIcon,
                    QMessageBox::Ok);
}

TDialogs& Dialogs() {
  return *Current();
}

std::unique_ptr<TDialogs> SetDialogs(std::unique_ptr<TDialogs> dialogs) {
  std::unique_ptr<TDialogs> previous = std::move(Current());
  Current() = std::move(dialogs);
  return previous;
}

}  // namespace paginor
