// The standard security handler in its classic form: revision 2, a 40-bit RC4 key checked
// against the user password. MD5 and RC4 come from Nettle. The modern reader's handler (every
// revision, AES included) keeps its state in the last members; see crypt_filters.cpp.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace paginor {

using TDigest = std::array<unsigned char, 16>;

// The 32-byte padding of the standard security handler.
extern const std::array<unsigned char, 32> kPasswordPad;

TDigest Md5(std::string_view data);
// RC4 is its own inverse: this both encrypts and decrypts.
void Rc4InPlace(const unsigned char* key, std::size_t key_length, std::string& data);

// How a crypt filter encrypts: not at all, RC4 with the object's key, AES-128 with the
// object's key, AES-256 with the file key.
enum class TCryptMethod : uint8_t { Identity, Rc4, AesV2, AesV3 };

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

  // The modern reader's handler, set once a password has opened the file: the file key of any
  // length and the method of every crypt filter. DecryptObject then decrypts as /StmF says.
  bool Modern = false;
  std::string Key;
  TCryptMethod StreamMethod = TCryptMethod::Identity;  // /StmF
  TCryptMethod StringMethod = TCryptMethod::Identity;  // /StrF
  std::map<std::string, TCryptMethod> CryptFilters;    // /CF names with their "/"
  // Stream data with the method of the named crypt filter (of a /Crypt filter's /Name), or of
  // /StmF when filter is empty. An unknown name decrypts nothing.
  void DecryptStream(int32_t num, int32_t gen, std::string& data,
                     std::string_view filter = {}) const;
  // A string of a dictionary: /StrF for the modern handler, the object key for the classic one.
  void DecryptString(int32_t num, int32_t gen, std::string& data) const;
};

}  // namespace paginor
