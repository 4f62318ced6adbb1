// Opening an encrypted document: reading the encryption dictionary and the password check
// with the empty password first, then the user's.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "pdf/doc_reader.h"

namespace paginor {

// How the password check talks to the user.
class TPasswordPrompt {
 public:
  virtual ~TPasswordPrompt() = default;
  // The password entered, or nothing when the user cancels.
  virtual std::optional<std::string> AskPassword() = 0;
  // Shown before every prompt after the first.
  virtual void WrongPassword() = 0;
  // The modern reader: the file's encryption is not one it can open; no prompt follows.
  virtual void Unsupported() {}
};

// The empty password first, then the user's until `opens` accepts one: true then; false, with
// Invalid set, when the user cancels.
bool AskUntilOpened(TDocReader& reader, TPasswordPrompt& prompt,
                    const std::function<bool(const std::string&)>& opens);

// Fills OwnerHash, UserHash and Permissions from the /Encrypt object.
void ReadEncryptDictionary(TDocReader& reader);

// Runs the whole handler: reads the dictionary, decodes /ID, tries the empty password and
// then asks. Leaves FileKey set and returns true, or sets Invalid when the user cancels.
bool UnlockDocument(TDocReader& reader, TPasswordPrompt& prompt);

}  // namespace paginor
