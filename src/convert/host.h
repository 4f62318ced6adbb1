// TConversionHost: everything a conversion asks of its user, in the conversion's words. The
// main window implements it with its progress window, labels and dialogs, paginor-convert with
// the console, tests with a recorder. Texts are UTF-8.
#pragma once

#include <optional>
#include <string>

#include "convert/options.h"

namespace paginor {

enum class TMessageIcon { Information, Warning, Error };

class TConversionHost {
 public:
  virtual ~TConversionHost() = default;

  // A conversion runs from BeginProgress to EndProgress, on every path.
  virtual void BeginProgress() = 0;
  virtual void EndProgress() = 0;
  // The step the conversion is at ("Lese Seite 3..."); empty at the start.
  virtual void SetStep(const std::string& text) = 0;
  // One line of what the conversion found or met.
  virtual void StatusLine(const std::string& line) = 0;
  // How far the pages are read, in percent; 0 once they are.
  virtual void SetProgress(int percent) = 0;
  // Lets the user interface run; false when the user asked to stop. The conversion keeps a
  // stop in FBreak, where the window's "Aktion abbrechen" puts it too.
  virtual bool PumpAndCancel() = 0;
  // The document's page count, once it is known or the file turned out unreadable (0).
  virtual void SetPageCount(int count) = 0;
  // The conversion has finished, also after a failure: its text is there to be shown.
  virtual void Done() = 0;
  virtual TConvertOptions Options() = 0;
  virtual void Message(const std::string& text, const std::string& caption, TMessageIcon icon) = 0;
  // The password prompt: the entered text, or nothing on cancel.
  virtual std::optional<std::string> AskPassword() = 0;
};

}  // namespace paginor
