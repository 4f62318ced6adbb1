// paginor: the program. Starts the application in German, creates the main window and
// converts a PDF file named on the command line.
#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTimer>
#include <QTranslator>

#include "app/decorations.h"
#include "app/main_unit.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // No display name: the platform would append it to every window title, "Paginor 1.4 —
  // Paginor". Message boxes name the program themselves.
  QApplication::setApplicationName("Paginor");
  QApplication::setApplicationVersion("1.4");
  QApplication::setWindowIcon(QIcon(paginor::ProgramIcon(64)));
  // Qt's own dialogs and buttons in German, whatever the system's language.
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  QTranslator qt_german;
  if (qt_german.load("qtbase_de", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(&qt_german);
  }
  const QString data_dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  QDir().mkpath(data_dir);
  paginor::TMainForm form(data_dir);
  form.show();
  const QStringList arguments = QApplication::arguments().mid(1);
  QTimer::singleShot(0, &form, [&form, arguments] { form.FormShow(arguments); });
  return app.exec();
}
