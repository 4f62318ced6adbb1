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
#include "app/saving.h"
#include "convert/rtf_pictures.h"
#include "output/html_writer.h"
#include "output/rtf_writer.h"
#include "output/text_writer.h"
#include "platform/html_save.h"
#include "platform/rich_text_bridge.h"

namespace paginor {

void TMainForm::CatchUpView() {
  if (view_missing_lines_ == 0) return;
  filling_view_ = true;
  QTextCursor end(Memo1->document());
  end.movePosition(QTextCursor::End);
  for (; view_missing_lines_ > 0; --view_missing_lines_)
    end.insertBlock();
  filling_view_ = false;
}

void TMainForm::SyncDocumentFromView() {
  if (!view_edited_) return;
  CatchUpView();
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
  view_missing_lines_ = 0;
}

QString TMainForm::SuggestedSavePath(const QString& extension) const {
  QString folder = FSaveDir;
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
    folder = FConvertedFile.isEmpty() ? QDir::homePath() : QFileInfo(FConvertedFile).absolutePath();
  }
  const QString base =
      FConvertedFile.isEmpty() ? QString("Dokument") : QFileInfo(FConvertedFile).completeBaseName();
  return QDir(folder).filePath(base + "." + extension);
}

QString TMainForm::AskSavePath(const QString& caption, const QString& filter,
                               const QString& extension) {
  return Dialogs().SaveFileName(this, caption, filter, extension, SuggestedSavePath(extension));
}

void TMainForm::RememberSaveFolder(const QString& saved_file) {
  FSaveDir = QFileInfo(saved_file).absolutePath();
  StoreSettings();
}

void TMainForm::SaveBtnClick() {
  // During a conversion the document is half built and the view not yet filled.
  if (FDoc.FBusy) return;
  const QString path = AskSavePath("Text speichern unter...", "Textdateien (*.txt)", "txt");
  if (path.isEmpty()) return;
  SyncDocumentFromView();
  if (SaveReported(this, path, DocumentToPlainText(FDoc.Memo1))) RememberSaveFolder(path);
}

void TMainForm::SaveRTFBtnClick() {
  if (FDoc.FBusy) return;
  const QString path =
      AskSavePath("Richtext/Word speichern unter...", "Richttext-Datei (*.rtf)", "rtf");
  if (path.isEmpty()) return;
  SyncDocumentFromView();
  if (SaveReported(this, path, DocumentToRTF(FDoc.Memo1, RtfPicturesOf(FDoc.Images)))) {
    RememberSaveFolder(path);
  }
}

void TMainForm::HTMLBtnClick() {
  if (FDoc.FBusy) return;
  const QString path =
      AskSavePath("Als HTML speichern unter...", "HTML-Dateien (*.htm *.html)", "htm");
  if (path.isEmpty()) return;
  // The page's image links name these files beside it; pictures of another page of the same
  // folder are not replaced without asking.
  const THtmlPictures pictures(path.toStdString());
  QStringList existing;
  int number = 0;
  for (const TImageRec& image : FDoc.Images) {
    if (QFileInfo::exists(QString::fromStdString(pictures.PathOf(++number, image)))) {
      existing << QString::fromStdString(HtmlPictureName(number, image));
    }
  }
  if (!existing.isEmpty()) {
    const QString question =
        existing.size() == 1
            ? "Die Bilddatei „" + existing.first() +
                  "“, auf die die Seite verweist, gibt es in diesem Ordner schon. Soll sie "
                  "ersetzt werden?"
            : QString::number(existing.size()) +
                  " Bilddateien, auf die die Seite verweist, gibt es in diesem Ordner schon (" +
                  existing.first() + " bis " + existing.last() + "). Sollen sie ersetzt werden?";
    if (Dialogs().Message(this, question, "Als HTML speichern", QMessageBox::Question,
                          QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
      return;
    }
  }
  SyncDocumentFromView();
  RTFToHTML();
  const THtmlSaveResult saved = SaveHtmlWithPictures(path.toStdString(), FHTMLLines, FDoc.Images);
  if (!Reported(this, path, saved.PageFailure)) return;
  RememberSaveFolder(path);
  QStringList failed;
  for (const TPictureFailure& failure : saved.PictureFailures)
    failed << QFileInfo(QString::fromStdString(failure.Path)).fileName();
  if (!failed.isEmpty()) {
    const std::string& reason = saved.PictureFailures.front().Reason;
    Dialogs().Message(
        this,
        "Die Seite ist gespeichert, aber " +
            (failed.size() == 1 ? QString("ein Bild") + " konnte nicht geschrieben werden: „" +
                                      failed.first() + "“."
                                : QString::number(failed.size()) +
                                      " Bilder konnten nicht geschrieben werden, "
                                      "zuerst „" +
                                      failed.first() + "“.") +
            "\n\n" + QString::fromStdString(reason),
        "Paginor", QMessageBox::Warning, QMessageBox::Ok);
  }
}

void TMainForm::RTFToHTML() {
  if (FDoc.FBusy) return;
  {
    TBusyGuard busy(FDoc.FBusy);
    const TReadOnlyView locked(*Memo1);
    FDoc.FBreak = false;
    ShowCentred(HTMLStatusForm);
    FHTMLLines = paginor::RTFToHTML(
        FDoc.Memo1, [this] { return PumpAndCancel(); },
        [this](int percent) { SetProStatus(percent); });
    HTMLStatusForm->hide();
  }
  if (close_pending_) close();
}

}  // namespace paginor
