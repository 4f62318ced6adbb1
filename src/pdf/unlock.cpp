#include "pdf/unlock.h"

#include "pdf/literals.h"
#include "pdf/modern_unlock.h"

namespace paginor {

namespace {

// A string value as the tokenizer gives it: (literal) with its escapes, or <hex digits>.
std::string StringValue(const std::string& token) {
  if (token.starts_with('<')) return DecodeHexBytes(std::string_view(token).substr(1));
  return UnescapeLiteral(StripParens(token));
}

}  // namespace

void ReadEncryptDictionary(TDocReader& reader) {
  TSecurityHandler& security = reader.Security;
  if (!reader.GotoObject(reader.EncryptNum, reader.EncryptGen)) return;
  reader.ReadDict();
  for (const TDictEntry& entry : reader.DictEntries) {
    if (entry.Tokens.size() < 2) continue;
    const std::string& key = entry.Tokens[0];
    const std::string& value = entry.Tokens[1];
    if (key == "/U") {
      security.UserHash = StringValue(value);
    } else if (key == "/O") {
      security.OwnerHash = StringValue(value);
    } else if (key == "/P") {
      // Writers put the 32 permission bits either signed (-4) or unsigned (4294967292);
      // both mean the same four bytes.
      if (const auto p = ParseInt64(value)) {
        security.Permissions = static_cast<int32_t>(static_cast<uint32_t>(*p & 0xFFFFFFFF));
      }
    }
  }
  reader.FreeDict();
}

bool UnlockDocument(TDocReader& reader, TPasswordPrompt& prompt) {
  if (reader.Rules().EveryEncryption) return UnlockModern(reader, prompt);
  ReadEncryptDictionary(reader);
  TSecurityHandler& security = reader.Security;
  security.DecodeFileId();
  return AskUntilOpened(reader, prompt, [&security](const std::string& password) {
    return security.CheckPassword(password);
  });
}

bool AskUntilOpened(TDocReader& reader, TPasswordPrompt& prompt,
                    const std::function<bool(const std::string&)>& opens) {
  std::string password;
  bool first = true;
  for (;;) {
    if (opens(password)) return true;
    if (!first) prompt.WrongPassword();
    first = false;
    std::optional<std::string> entered = prompt.AskPassword();
    if (!entered) {
      reader.Invalid = true;
      return false;
    }
    password = std::move(*entered);
  }
}

}  // namespace paginor
