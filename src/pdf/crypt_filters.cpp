// The modern handler's decryption of one object's data: the method of its crypt filter with
// the object's own key (RC4, AES-128) or the file key (AES-256).
#include <algorithm>

#include "pdf/security.h"
#include "pdf/standard_security.h"

namespace paginor {

namespace {

constexpr std::size_t kAesBlock = 16;

// The key of object num, generation gen: MD5 of the file key, the object's three low bytes
// and the generation's two, and for AES the bytes "sAlT"; at most 16 bytes of it are used.
std::string ObjectKey(const std::string& file_key, int32_t num, int32_t gen, bool aes) {
  std::string material = file_key;
  const auto n = static_cast<uint32_t>(num);
  const auto g = static_cast<uint32_t>(gen);
  for (int shift = 0; shift < 24; shift += 8)
    material += static_cast<char>((n >> shift) & 0xFF);
  material += static_cast<char>(g & 0xFF);
  material += static_cast<char>((g >> 8) & 0xFF);
  if (aes) material += "sAlT";
  const TDigest digest = Md5(material);
  const std::size_t length = aes ? 16 : std::min<std::size_t>(file_key.size() + 5, 16);
  return std::string(reinterpret_cast<const char*>(digest.data()), length);
}

// AES data: the first block is the initialisation vector, the last block ends in its padding
// (1 to 16 bytes of that value). Data too short for a vector give nothing; a padding that is not
// one is left in place, and a trailing partial block is dropped.
void AesDecryptInPlace(std::string_view key, std::string& data) {
  if (data.size() < kAesBlock) {
    data.clear();
    return;
  }
  std::string plain = AesCbcDecrypt(key, std::string_view(data).substr(0, kAesBlock),
                                    std::string_view(data).substr(kAesBlock));
  if (!plain.empty()) {
    const auto pad = static_cast<unsigned char>(plain.back());
    if (pad >= 1 && pad <= kAesBlock && pad <= plain.size() &&
        std::all_of(plain.end() - pad, plain.end(),
                    [pad](char c) { return static_cast<unsigned char>(c) == pad; })) {
      plain.resize(plain.size() - pad);
    }
  }
  data = std::move(plain);
}

void Decrypt(const TSecurityHandler& handler, TCryptMethod method, int32_t num, int32_t gen,
             std::string& data) {
  switch (method) {
    case TCryptMethod::Identity:
      return;
    case TCryptMethod::Rc4: {
      const std::string key = ObjectKey(handler.Key, num, gen, false);
      Rc4InPlace(reinterpret_cast<const unsigned char*>(key.data()), key.size(), data);
      return;
    }
    case TCryptMethod::AesV2:
      AesDecryptInPlace(ObjectKey(handler.Key, num, gen, true), data);
      return;
    case TCryptMethod::AesV3:
      AesDecryptInPlace(handler.Key, data);
      return;
  }
}

}  // namespace

void TSecurityHandler::DecryptStream(int32_t num, int32_t gen, std::string& data,
                                     std::string_view filter) const {
  if (filter.empty()) {
    Decrypt(*this, StreamMethod, num, gen, data);
    return;
  }
  const auto it = CryptFilters.find(std::string(filter));
  if (it != CryptFilters.end()) Decrypt(*this, it->second, num, gen, data);
}

void TSecurityHandler::DecryptString(int32_t num, int32_t gen, std::string& data) const {
  if (!Modern) {
    DecryptObject(num, gen, data);
    return;
  }
  Decrypt(*this, StringMethod, num, gen, data);
}

}  // namespace paginor
