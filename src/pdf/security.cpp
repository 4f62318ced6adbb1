#include "pdf/security.h"

#include <nettle/arcfour.h>
#include <nettle/md5.h>

#include <algorithm>

#include "pdf/literals.h"

namespace paginor {

const std::array<unsigned char, 32> kPasswordPad = {
    0x28, 0xBF, 0x4E, 0x5E, 0x4E, 0x75, 0x8A, 0x41, 0x64, 0x00, 0x4E, 0x56, 0xFF, 0xFA, 0x01, 0x08,
    0x2E, 0x2E, 0x00, 0xB6, 0xD0, 0x68, 0x3E, 0x80, 0x2F, 0x0C, 0xA9, 0xFE, 0x64, 0x53, 0x69, 0x7A};

TDigest Md5(std::string_view data) {
  md5_ctx ctx;
  md5_init(&ctx);
  md5_update(&ctx, data.size(), reinterpret_cast<const uint8_t*>(data.data()));
  TDigest digest{};
  md5_digest(&ctx, digest.size(), digest.data());
  return digest;
}

void Rc4InPlace(const unsigned char* key, std::size_t key_length, std::string& data) {
  if (data.empty()) return;
  arcfour_ctx ctx;
  arcfour_set_key(&ctx, key_length, key);
  auto* bytes = reinterpret_cast<uint8_t*>(data.data());
  arcfour_crypt(&ctx, data.size(), bytes, bytes);
}

void TSecurityHandler::DecodeFileId() {
  if (FileId.starts_with('<')) FileId = DecodeHexBytes(std::string_view(FileId).substr(1));
}

bool TSecurityHandler::CheckPassword(std::string password) {
  PasswordText = std::move(password);
  if (PasswordText.size() > 32) PasswordText.resize(32);
  for (std::size_t i = 0; PasswordText.size() < 32; ++i) {
    PasswordText += static_cast<char>(kPasswordPad[i]);
  }
  std::string material = PasswordText + OwnerHash;
  const auto p = static_cast<uint32_t>(Permissions);
  for (int shift = 0; shift < 32; shift += 8)
    material += static_cast<char>((p >> shift) & 0xFF);
  material += FileId;
  FileKey = Md5(material);

  std::string check = UserHash;
  Rc4InPlace(FileKey.data(), 5, check);
  return check.size() == kPasswordPad.size() &&
         std::equal(check.begin(), check.end(), kPasswordPad.begin(),
                    [](char a, unsigned char b) { return static_cast<unsigned char>(a) == b; });
}

void TSecurityHandler::DecryptObject(int32_t num, int32_t gen, std::string& data) const {
  if (Modern) {
    DecryptStream(num, gen, data);
    return;
  }
  std::string material(reinterpret_cast<const char*>(FileKey.data()), 5);
  const auto n = static_cast<uint32_t>(num);
  const auto g = static_cast<uint32_t>(gen);
  material += static_cast<char>(n & 0xFF);
  material += static_cast<char>((n >> 8) & 0xFF);
  material += static_cast<char>((n >> 16) & 0xFF);
  material += static_cast<char>(g & 0xFF);
  material += static_cast<char>((g >> 8) & 0xFF);
  const TDigest object_key = Md5(material);
  Rc4InPlace(object_key.data(), 10, data);
}

}  // namespace paginor
