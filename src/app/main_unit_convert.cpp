// TMainForm as the conversion's host, and the ways a file gets converted: the command line,
// the file list, a dropped file.
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTabWidget>
#include <QUrl>

#include "app/dialogs.h"
#include "app/enter_pass_form.h"
#include "app/main_unit.h"
#include "app/paint_box.h"
#include "app/progress_forms.h"
#include "app/shell_logic.h"
#include "convert/conversion.h"
#include "platform/rich_text_bridge.h"

namespace paginor {

void TMainForm::FormShow(const QStringList& arguments) {
  if (arguments.isEmpty()) return;
  const std::optional<std::string> path =
      ResolveCommandLineFile(arguments.first().toStdString(), QDir::currentPath().toStdString(),
                             FProgramDir.toStdString());
  // Not remembered in FFileName: "PDF Neu lesen" re-opens only files from the list.
  if (path) openfilenow(QString::fromStdString(*path));
}

void TMainForm::openfilenow(const QString& path) {
  if (FDoc.FBusy) return;
  SyncDocumentFromView();
  {
    // The conversion writes the document the view shows: no edits meanwhile.
    const TReadOnlyView locked(*Memo1);
    const TConversionResult result = paginor::openfilenow(FDoc, *this, path.toStdString());
    thumbnails_.Clear();
    thumbnail_maker_.Forget();
    if (result.Opened) {
      FConvertedFile = QFileInfo(path).absoluteFilePath();
      setWindowTitle(WindowTitle(FConvertedFile));
    }
    ShowDocumentInView();
  }
  PaintBox1Paint();
  FitPaintBox2();
  PaintBox2->update();
  if (close_pending_) close();
}

void TMainForm::BeginProgress() {
  OpenPDFForm->Label2->clear();
  ShowCentred(OpenPDFForm);
}

void TMainForm::EndProgress() {
  OpenPDFForm->hide();
}

void TMainForm::SetStep(const std::string& text) {
  OpenPDFForm->Label2->setText(QString::fromStdString(text));
}

void TMainForm::StatusLine(const std::string& line) {
  OpenPDFForm->StatusMemo->appendPlainText(QString::fromStdString(line));
}

bool TMainForm::PumpAndCancel() {
  QCoreApplication::processEvents();
  return !FDoc.FBreak;
}

TConvertOptions TMainForm::Options() {
  TConvertOptions options;
  options.HorzLayCheck = HorzLayCheck->isChecked();
  options.VertLayCheck = VertLayCheck->isChecked();
  options.StartWTCheck = StartWTCheck->isChecked();
  options.HTMLLinksCheck = HTMLLinksCheck->isChecked();
  options.TabsCheck = TabsCheck->isChecked();
  options.ReadPicsCheck = ReadPicsCheck->isChecked();
  options.ModernCheck = ModernCheck->isChecked();
  return options;
}

void TMainForm::Message(const std::string& text, const std::string& caption, TMessageIcon icon) {
  const QMessageBox::Icon qt_icon = icon == TMessageIcon::Error     ? QMessageBox::Critical
                                    : icon == TMessageIcon::Warning ? QMessageBox::Warning
                                                                    : QMessageBox::Information;
  Dialogs().Message(this, QString::fromStdString(text), QString::fromStdString(caption), qt_icon,
                    QMessageBox::Ok);
}

std::optional<std::string> TMainForm::AskPassword() {
  EnterPassForm->PassEd->clear();
  const std::optional<QString> entered = Dialogs().Password(*EnterPassForm);
  if (!entered) return std::nullopt;
  // The standard security handler works on the password's bytes in the 8-bit code page.
  return QStringToCp1252(*entered);
}

void TMainForm::SetPageCount(int count) {
  Label6->setText("von " + QString::number(count));
}

void TMainForm::Done() {
  PageControl2->setCurrentIndex(2);
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile() && url.toLocalFile().endsWith(".pdf", Qt::CaseInsensitive)) {
      event->acceptProposedAction();
      return;
    }
  }
}

void TMainForm::dropEvent(QDropEvent* event) {
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile() && url.toLocalFile().endsWith(".pdf", Qt::CaseInsensitive)) {
      event->acceptProposedAction();
      OpenFromList(QFileInfo(url.toLocalFile()).absoluteFilePath());
      return;
    }
  }
}

}  // namespace paginor
