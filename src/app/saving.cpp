#include "app/saving.h"

#include <QDir>
#include <QSettings>

#include "app/dialogs.h"
#include "platform/file_saving.h"

namespace paginor {

QString NotSavedMessage(const QString& path, const std::string& reason) {
  return "Die Datei „" + QDir::toNativeSeparators(path) + "“ konnte nicht gespeichert werden.\n\n" +
         QString::fromStdString(reason);
}

bool Reported(QWidget* parent, const QString& path, const std::optional<std::string>& failure) {
  if (!failure) return true;
  Dialogs().Message(parent, NotSavedMessage(path, *failure), "Paginor", QMessageBox::Warning,
                    QMessageBox::Ok);
  return false;
}

bool SaveReported(QWidget* parent, const QString& path, std::string_view bytes) {
  return Reported(parent, path, WriteFileAtomically(path.toStdString(), bytes));
}

QString SettingsOwner() {
  return "Paginor";
}

void StoreSettings(QWidget* parent, const std::function<void(QSettings&)>& write) {
  QSettings settings(SettingsOwner(), SettingsOwner());
  write(settings);
  // QSettings writes through a temporary file of its own and renames it when complete.
  settings.sync();
  if (settings.status() == QSettings::NoError) return;
  // QSettings tells no more than that the file could not be written.
  Reported(parent, settings.fileName(),
           std::string(settings.status() == QSettings::AccessError
                           ? "Der Datenträger ist voll oder schreibgeschützt, oder es fehlt die "
                             "Berechtigung."
                           : "Die Einstellungsdatei ist beschädigt."));
}

}  // namespace paginor
