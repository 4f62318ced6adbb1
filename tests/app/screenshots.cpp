// Renders the real windows for a person to look at: every tab of the main window after
// converting a PDF file, the progress windows and the password prompt.
// Usage: paginor_screenshots FILE.pdf OUTPUT_DIR
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTimer>

#include "app/dialogs.h"
#include "app/enter_pass_form.h"
#include "app/main_unit.h"
#include "app/progress_forms.h"

namespace {

void Save(QWidget* widget, const QString& path) {
  widget->grab().save(path);
}

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
  paginor::TMainForm form(data.absolutePath());
  form.show();
  QApplication::processEvents();
  Save(&form, out + "/tab0-pdf-datei-waehlen.png");
  form.openfilenow(input);
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
  return 0;
}
