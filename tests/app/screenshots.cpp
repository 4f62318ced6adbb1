// Renders the real windows for a person to look at: every tab of the main window after
// converting a PDF file, the progress windows, the password prompt, the font dialog and the
// messages of saving; with a second PDF file that holds pictures, the gallery, the image
// viewer, the print window and the HTML preview with its pictures as well. The window titles
// go into titles.txt.
// Usage: paginor_screenshots FILE.pdf OUTPUT_DIR [PICTURES.pdf]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTabWidget>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <QCheckBox>
#include <QPrinter>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>

#include "app/dialogs.h"
#include "app/enter_pass_form.h"
#include "app/font_form.h"
#include "app/main_unit.h"
#include "app/paint_box.h"
#include "app/print_form.h"
#include "app/progress_forms.h"
#include "app/saving.h"
#include "app/view_pic_form.h"

namespace {

void Save(QWidget* widget, const QString& path) {
  widget->grab().save(path);
}

void Settle() {
  for (int i = 0; i < 5; ++i)
    QApplication::processEvents();
}

// A message box as the program shows it, without waiting for an answer.
void SaveMessage(QWidget* parent, const QString& text, QMessageBox::Icon icon,
                 QMessageBox::StandardButtons buttons, const QString& path) {
  QMessageBox box(icon, "Paginor", text, buttons, parent);
  box.show();
  Settle();
  Save(&box, path);
}

// Answers the save dialog with one path and shows each message box, without waiting, as a PNG
// of its own: the window's real HTML save with its messages.
class TScreenshotDialogs final : public paginor::TDialogs {
 public:
  TScreenshotDialogs(QString save_path, QString shots) : save_path_(save_path), shots_(shots) {}
  QString SaveFileName(QWidget*, const QString&, const QString&, const QString&,
                       const QString&) override {
    return save_path_;
  }
  QMessageBox::StandardButton Message(QWidget* parent, const QString& text, const QString& caption,
                                      QMessageBox::Icon icon,
                                      QMessageBox::StandardButtons buttons) override {
    QMessageBox box(icon, caption, text, buttons, parent);
    box.show();
    Settle();
    Save(&box, shots_ + QString::number(++shown_) + ".png");
    return QMessageBox::Yes;
  }

 private:
  QString save_path_;
  QString shots_;
  int shown_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Paginor");
  if (argc < 3) return 2;
  const QString input = QString::fromLocal8Bit(argv[1]);
  const QString out = QString::fromLocal8Bit(argv[2]);
  QDir().mkpath(out);
  QDir data(out + "/data");
  data.mkpath(".");
  // The settings of this run, not the user's: the pictures show the program as it starts.
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, data.absolutePath());
  paginor::TMainForm form(data.absolutePath());
  form.show();
  QApplication::processEvents();
  Save(&form, out + "/tab0-pdf-datei-waehlen.png");
  QFile titles(out + "/titles.txt");
  titles.open(QIODevice::WriteOnly | QIODevice::Truncate);
  QTextStream title_lines(&titles);
  title_lines << "vorher: " << form.windowTitle() << "\n";
  form.openfilenow(input);
  title_lines << "umgewandelt: " << form.windowTitle() << "\n";
  const char* names[] = {"tab0-pdf-datei-waehlen", "tab1-konfiguration", "tab2-text-ausgeben",
                         "tab3-bilder-ausgeben", "tab4-html-vorschau"};
  for (int tab = 1; tab < 5; ++tab) {
    form.PageControl2->setCurrentIndex(tab);
    for (int i = 0; i < 5; ++i)
      QApplication::processEvents();
    Save(&form, out + "/" + names[tab] + ".png");
  }
  form.OpenPDFForm->Label2->setText("Lese Seite 2...");
  form.SetProStatus(60);
  form.OpenPDFForm->show();
  QApplication::processEvents();
  Save(form.OpenPDFForm, out + "/progress-pdf-datei-oeffnen.png");
  Save(&form, out + "/status-bar-60.png");
  form.OpenPDFForm->hide();
  form.HTMLStatusForm->show();
  QApplication::processEvents();
  Save(form.HTMLStatusForm, out + "/progress-html.png");
  form.HTMLStatusForm->hide();
  form.EnterPassForm->PassEd->setText("geheim");
  form.EnterPassForm->show();
  QApplication::processEvents();
  Save(form.EnterPassForm, out + "/password.png");
  form.EnterPassForm->hide();

  // The font dialog on the font in use; the messages of saving.
  {
    QFont in_use("Arial");
    in_use.setPixelSize(15);
    paginor::TFontForm fonts(in_use, &form);
    fonts.show();
    Settle();
    Save(&fonts, out + "/font-dialog.png");
    title_lines << "Schriftart: " << fonts.windowTitle() << "\n";
  }
  SaveMessage(
      &form,
      paginor::NotSavedMessage("/home/benutzer/fehlt/bericht.txt", "Den Ordner gibt es nicht."),
      QMessageBox::Warning, QMessageBox::Ok, out + "/message-not-saved.png");
  SaveMessage(&form,
              "2 Bilddateien, auf die die Seite verweist, gibt es in diesem Ordner schon "
              "(bild001.jpg bis bild003.gif). Sollen sie ersetzt werden?",
              QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
              out + "/message-html-pictures.png");
  // The text's save dialog: the PDF's folder and name.
  {
    const auto save =
        paginor::MakeSaveDialog(&form, "Text speichern unter...", "Textdateien (*.txt)", "txt",
                                form.SuggestedSavePath("txt"));
    save->setOption(QFileDialog::DontUseNativeDialog);
    save->show();
    for (int i = 0; i < 20; ++i) {
      QApplication::processEvents();
      QThread::msleep(20);
    }
    Save(save.get(), out + "/save-dialog-text.png");
  }
  // The file list of a wide window: the names take the free width.
  form.resize(1100, 600);
  form.PageControl2->setCurrentIndex(0);
  form.ShowFileList();
  Settle();
  Save(&form, out + "/tab0-breit.png");
  form.resize(622, 489);

  // The preview at another zoom, on the second page.
  form.PageControl2->setCurrentIndex(1);
  form.ZoomEd->setValue(60);
  form.PageEd->setValue(2);
  Settle();
  Save(&form, out + "/tab1-vorschau-seite2-zoom60.png");
  form.ZoomEd->setValue(100);
  form.PageEd->setValue(1);

  if (argc < 4) return 0;
  form.openfilenow(QString::fromLocal8Bit(argv[3]));
  form.PageControl2->setCurrentIndex(4);
  Settle();
  Save(&form, out + "/tab4-html-vorschau-bilder.png");
  form.PageControl2->setCurrentIndex(3);
  Settle();
  form.PaintBox2MouseDown(Qt::LeftButton, {}, 90 + 45, 50);  // the second picture
  // Thumbnails of large pictures are made over several paints.
  QElapsedTimer thumbnails;
  thumbnails.start();
  while (thumbnails.elapsed() < 1500)
    QApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
  Save(&form, out + "/tab3-galerie.png");
  if (form.FDoc.Images.Count() == 0) return 0;

  // Saved as HTML into a folder where a folder takes the second picture's name: the window
  // asks before replacing the first picture of the same name, then names the one not written.
  {
    const QString folder = out + "/html-save";
    QDir(folder).removeRecursively();
    QDir().mkpath(folder + "/bild002.gif");
    QFile other(folder + "/bild001.jpg");
    if (other.open(QIODevice::WriteOnly)) other.write("alt");
    other.close();
    auto previous = paginor::SetDialogs(
        std::make_unique<TScreenshotDialogs>(folder + "/seite.htm", out + "/html-save-message"));
    form.HTMLBtnClick();
    paginor::SetDialogs(std::move(previous));
  }

  paginor::TViewPicForm* viewer = form.ViewPicForm;
  viewer->Bitmap = form.FDoc.Images[0].Bitmap.Decode();
  viewer->ZoomEd->setValue(800);
  viewer->show();
  Settle();
  title_lines << "Betrachter: " << viewer->windowTitle() << "\n";
  Save(viewer, out + "/viewer-zoom800.png");
  viewer->ZoomEd->setValue(100);
  Settle();
  Save(viewer, out + "/viewer-zoom100.png");

  paginor::TPrintForm print(*form.Printer, viewer);
  print.Bitmap = form.FDoc.Images[0].Bitmap.Decode();
  print.show();
  Settle();
  Save(&print, out + "/print-window.png");
  print.UserdefCheck->click();
  print.ZentrCheck->click();
  Settle();
  Save(&print, out + "/print-window-benutzerdefiniert.png");
  print.hide();
  viewer->hide();
  return 0;
}
