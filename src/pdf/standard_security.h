// The key derivations of the standard security handler in every revision, for the modern
// reader: RC4 keys of 40 to 128 bits (revisions 2 to 4) and AES-256 keys (5 and 6). Nettle
// computes every digest and cipher; this file only arranges their inputs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace paginor {

// SHA-256, SHA-384 or SHA-512 (bits 256, 384, 512).
std::string Sha2(int bits, std::string_view data);
// AES in CBC mode without padding, key of 16 or 32 bytes, iv of 16; data a whole number of
// blocks (a trailing partial block is dropped).
std::string AesCbcEncrypt(std::string_view key, std::string_view iv, std::string_view data);
std::string AesCbcDecrypt(std::string_view key, std::string_view iv, std::string_view data);

// What the encryption dictionary and the trailer give the key derivations.
struct TStandardParams {
  int Revision = 2;
  int KeyBytes = 5;      // revisions 2 to 4: /Length in bytes, 5 to 16
  std::string Owner;     // /O
  std::string User;      // /U
  std::string OwnerKey;  // /OE
  std::string UserKey;   // /UE
  int32_t Permissions = 0;
  std::string FileId;  // the first /ID element, decoded
  bool EncryptMetadata = true;
};

// The 32 bytes a password of revisions 2 to 4 enters the hashes as: cut or padded.
std::string PadPassword(std::string_view password);

// Revisions 2 to 4: the file key of a (padded) user password.
std::string FileKeyFromUserPassword(std::string_view password, const TStandardParams& p);
// Revisions 2 to 4: the /U value that a file key gives; for revision 3 on only its first 16
// bytes are defined, the rest is padding.
std::string UserHashFromKey(std::string_view key, const TStandardParams& p);
// Revisions 2 to 4: the padded user password that the owner password recovers from /O.
std::string UserPasswordFromOwner(std::string_view owner_password, const TStandardParams& p);

// Revisions 5 and 6: the hash of a password (UTF-8, at most 127 bytes) with an 8-byte salt
// and, for the owner, the 48 bytes of /U. Revision 5 is SHA-256 alone; 6 iterates it with
// AES-128 and SHA-256/384/512.
std::string PasswordHash(int revision, std::string_view password, std::string_view salt,
                         std::string_view user_key);

// The file key that the password opens, as user password or as owner password; nothing when
// it is neither.
std::optional<std::string> FileKeyForPassword(std::string_view password, const TStandardParams& p);

}  // namespace paginor
