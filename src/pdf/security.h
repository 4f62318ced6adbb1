// The standard security handler in its classic form: revision 2, a 40-bit RC4 key checked
// against the user password. MD5 and RC4 come from Nettle.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace paginor {

using TDigest = std::array<unsigned char, 16>;

// The 32-byte padding of the standard security handler.
extern const std::array<unsigned char, 32> kPasswordPad;

TDigest Md5(std::string_view data);
// RC4 is its own inverse: this both encrypts and decrypts.
void Rc4InPlace(const unsigned char* key, std::size_t key_length, std::string& data);

class TSecurityHandler {
 public:
  // Read from the trailer and the encryption dictionary.
  std::string FileId;       // first /ID element; hexadecimal digits until DecodeFileId
  std::string OwnerHash;    // /O
  std::string UserHash;     // /U
  int32_t Permissions = 0;  // /P, as the four bytes that enter the key
  // The password last tried, padded to 32 bytes by CheckPassword.
  std::string PasswordText;
  TDigest FileKey{};  // its first 5 bytes are the document key

  void Reset() { *this = TSecurityHandler(); }
  // An identifier written as <digits> is decoded into bytes; a literal one is used as read.
  void DecodeFileId();
  // Pads the password, computes FileKey and tests it against /U.
  bool CheckPassword(std::string password);
  // Decrypts one object's stream data in place with that object's key.
  void DecryptObject(int32_t num, int32_t gen, std::string& data) const;
};

}  // namespace paginor
