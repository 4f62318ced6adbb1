// TConversionHost: everything a conversion asks of its user. The main window implements it
// with its progress window and dialogs, paginor-convert with the console, tests with a
// recorder. Texts are UTF-8.
#pragma once

#include <optional>
#include <string>

#include "convert/options.h"

namespace paginor {

enum class TMessageIcon { Information, Warning, Error };

class TConversionHost {
 public:
  virtual ~TConversionHost() = default;

  // The progress window TOpenPDFForm.
  virtual void ShowProgress() = 0;
  virtual void CloseProgress() = 0;
  // Label2 of the progress window: the current step.
  virtual void SetLineLabel(const std::string& text) = 0;
  // A line of the progress window's StatusMemo.
  virtual void AddStatusLine(const std::string& line) = 0;
  virtual void SetProStatus(int percent) = 0;
  // Lets the user interface run; a click on "Aktion abbrechen" sets FBreak here.
  virtual void ProcessEvents() = 0;
  virtual TConvertOptions Options() = 0;
  virtual void ShowMessage(const std::string& text, const std::string& caption,
                           TMessageIcon icon) = 0;
  // The password prompt TEnterPassForm: the entered text, or nothing on cancel.
  virtual std::optional<std::string> AskPassword() = 0;
  // Label6 of the main window: "von " and the page count.
  virtual void SetPageCountLabel(const std::string& text) = 0;
  // Switches the main window to the tab that shows the text.
  virtual void ShowTextTab() = 0;
};

}  // namespace paginor
