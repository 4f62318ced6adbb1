// Tab 2: the text view of the document, and the three save commands.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include "app/dialogs.h"
#include "app/main_unit.h"
#include "app/progress_forms.h"
#include "images/image_files.h"
#include "output/html_writer.h"
#include "output/rtf_writer.h"
#include "output/text_writer.h"
#include "platform/rich_text_bridge.h"

namespace paginor {

namespace {

bool WriteBytes(const QString& path, const std::string& bytes) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  return file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
         static_cast<qint64>(bytes.size());
}

}  // namespace

void TMainForm::SyncDocumentFromView() {
  if (!view_edited_) return;
  ReadTextDocument(*Memo1->document(), FDoc.Memo1);
  view_edited_ = false;
}

void TMainForm::ShowDocumentInView() {
  // A long document is filled in chunks with the events processed in between, so the other
  // operations stay locked out meanwhile. It is filled apart from the view: the view then lays
  // it out bit by bit, where filling the view's own document would lay out all of it at once.
  TBusyGuard busy(FDoc.FBusy);
  filling_view_ = true;
  auto* filled = new QTextDocument(Memo1);
  filled->setDefaultFont(Memo1->document()->defaultFont());
  FillTextDocument(*filled, FDoc.Memo1, [] { QCoreApplication::processEvents(); });
  // The view's first document belongs to the view and goes with setDocument; ours we free.
  QTextDocument* shown = Memo1->document();
  const bool ours = shown->parent() == Memo1;
  Memo1->setDocument(filled);
  if (ours) shown->deleteLater();
  Memo1->moveCursor(QTextCursor::Start);
  filling_view_ = false;
  view_edited_ = false;
}

void TMainForm::SaveBtnClick() {
  const QString path = Dialogs().SaveFileName(this, "Text speichern unter...",
                                              "Textdateien (*.txt)", "txt", QDir::homePath());
  if (path.isEmpty()) return;
  SyncDocumentFromView();
  WriteBytes(path, DocumentToPlainText(FDoc.Memo1));
}

void TMainForm::SaveRTFBtnClick() {
  const QString path = Dialogs().SaveFileName(this, "Richtext/Word speichern unter...",
                                              "Richttext-Datei (*.rtf)", "rtf", QDir::homePath());
  if (path.isEmpty()) return;
  SyncDocumentFromView();
  WriteBytes(path, DocumentToRTF(FDoc.Memo1));
}

void TMainForm::HTMLBtnClick() {
  if (FDoc.FBusy) return;
  const QString path = Dialogs().SaveFileName(
      this, "Als HTML speichern unter...", "HTML-Dateien (*.htm *.html)", "htm", QDir::homePath());
  if (path.isEmpty()) return;
  SyncDocumentFromView();
  RTFToHTML();
  if (!WriteBytes(path, HTMLFileContent(FHTMLLines))) return;
  // The page's image links name these files beside it.
  const QString dir = QFileInfo(path).absolutePath();
  int number = 0;
  for (const TImageRec& image : FDoc.Images) {
    const TDibFormat format = DefaultFormatFor(image);
    SaveImage(
        image,
        (dir + "/" + QString::fromStdString(ImageFileName("bild", ++number, format))).toStdString(),
        format);
  }
}

void TMainForm::RTFToHTML() {
  if (FDoc.FBusy) return;
  {
    TBusyGuard busy(FDoc.FBusy);
    FDoc.FBreak = false;
    ShowCentred(HTMLStatusForm);
    THTMLHooks hooks;
    hooks.process_events = [] { QCoreApplication::processEvents(); };
    hooks.break_requested = [this] { return FDoc.FBreak; };
    hooks.set_progress = [this](int percent) { SetProStatus(percent); };
    FHTMLLines = paginor::RTFToHTML(FDoc.Memo1, hooks);
    HTMLStatusForm->hide();
  }
  if (close_pending_) close();
}

}  // namespace paginor
