// How the program's windows write files and tell the user when one could not be written: every
// file goes through a temporary file beside it (platform/file_saving.h), and a failure is a
// message box naming the file and the reason.
#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QSettings;
class QWidget;

namespace paginor {

// The message for a file that could not be written.
QString NotSavedMessage(const QString& path, const std::string& reason);

// Writes the file; on failure shows NotSavedMessage and returns false.
bool SaveReported(QWidget* parent, const QString& path, std::string_view bytes);
// Shows NotSavedMessage when failure holds a reason; returns whether the file was written.
bool Reported(QWidget* parent, const QString& path, const std::optional<std::string>& failure);

// The program's stored settings: written by write, then stored at once; a failure to store
// them is reported like any other file.
void StoreSettings(QWidget* parent, const std::function<void(QSettings&)>& write);
// The program's settings file, read.
QString SettingsOwner();

}  // namespace paginor
