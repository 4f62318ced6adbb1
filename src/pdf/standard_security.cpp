#include "pdf/standard_security.h"

#include <nettle/aes.h>
#include <nettle/cbc.h>
#include <nettle/sha2.h>

#include <algorithm>

#include "pdf/security.h"

namespace paginor {

namespace {

const uint8_t* Bytes(std::string_view s) {
  return reinterpret_cast<const uint8_t*>(s.data());
}

std::string Md5String(std::string_view data) {
  const TDigest digest = Md5(data);
  return std::string(reinterpret_cast<const char*>(digest.data()), digest.size());
}

std::string Rc4(std::string_view key, std::string data) {
  Rc4InPlace(reinterpret_cast<const unsigned char*>(key.data()), key.size(), data);
  return data;
}

// The key with every byte XORed with i, for the 19 extra RC4 passes of revision 3 on.
std::string XorKey(std::string_view key, int i) {
  std::string out(key);
  for (char& c : out)
    c = static_cast<char>(static_cast<unsigned char>(c) ^ i);
  return out;
}

// Nettle's cipher functions, in the exact type its CBC mode calls.
void Aes128Encrypt(const void* ctx, size_t length, uint8_t* dst, const uint8_t* src) {
  aes128_encrypt(static_cast<const aes128_ctx*>(ctx), length, dst, src);
}
void Aes128Decrypt(const void* ctx, size_t length, uint8_t* dst, const uint8_t* src) {
  aes128_decrypt(static_cast<const aes128_ctx*>(ctx), length, dst, src);
}
void Aes256Encrypt(const void* ctx, size_t length, uint8_t* dst, const uint8_t* src) {
  aes256_encrypt(static_cast<const aes256_ctx*>(ctx), length, dst, src);
}
void Aes256Decrypt(const void* ctx, size_t length, uint8_t* dst, const uint8_t* src) {
  aes256_decrypt(static_cast<const aes256_ctx*>(ctx), length, dst, src);
}

std::string AesCbc(std::string_view key, std::string_view iv, std::string_view data, bool encrypt) {
  const std::size_t length = data.size() / AES_BLOCK_SIZE * AES_BLOCK_SIZE;
  if (iv.size() < AES_BLOCK_SIZE || length == 0) return {};
  std::string out(length, '\0');
  auto* dst = reinterpret_cast<uint8_t*>(out.data());
  uint8_t chain[AES_BLOCK_SIZE];
  std::copy_n(Bytes(iv), AES_BLOCK_SIZE, chain);
  if (key.size() == AES128_KEY_SIZE) {
    aes128_ctx ctx;
    if (encrypt) {
      aes128_set_encrypt_key(&ctx, Bytes(key));
      cbc_encrypt(&ctx, Aes128Encrypt, AES_BLOCK_SIZE, chain, length, dst, Bytes(data));
    } else {
      aes128_set_decrypt_key(&ctx, Bytes(key));
      cbc_decrypt(&ctx, Aes128Decrypt, AES_BLOCK_SIZE, chain, length, dst, Bytes(data));
    }
  } else if (key.size() == AES256_KEY_SIZE) {
    aes256_ctx ctx;
    if (encrypt) {
      aes256_set_encrypt_key(&ctx, Bytes(key));
      cbc_encrypt(&ctx, Aes256Encrypt, AES_BLOCK_SIZE, chain, length, dst, Bytes(data));
    } else {
      aes256_set_decrypt_key(&ctx, Bytes(key));
      cbc_decrypt(&ctx, Aes256Decrypt, AES_BLOCK_SIZE, chain, length, dst, Bytes(data));
    }
  } else {
    return {};
  }
  return out;
}

// The /O or /U value's parts of revisions 5 and 6: hash, validation salt, key salt.
std::string_view Part(std::string_view value, std::size_t at, std::size_t n) {
  return at + n <= value.size() ? value.substr(at, n) : std::string_view();
}

bool SameBytes(std::string_view a, std::string_view b, std::size_t n) {
  return a.size() >= n && b.size() >= n && a.substr(0, n) == b.substr(0, n);
}

std::optional<std::string> AesKeyForPassword(std::string_view password, const TStandardParams& p) {
  password = password.substr(0, std::min<std::size_t>(password.size(), 127));
  const std::string zero_iv(AES_BLOCK_SIZE, '\0');
  const std::string_view user = Part(p.User, 0, 48);
  if (const std::string_view owner = Part(p.Owner, 0, 48); !owner.empty() && !user.empty()) {
    if (PasswordHash(p.Revision, password, Part(owner, 32, 8), user) == owner.substr(0, 32)) {
      const std::string key = PasswordHash(p.Revision, password, Part(owner, 40, 8), user);
      std::string file_key = AesCbcDecrypt(key, zero_iv, Part(p.OwnerKey, 0, 32));
      if (file_key.size() == 32) return file_key;
    }
  }
  if (!user.empty() &&
      PasswordHash(p.Revision, password, Part(user, 32, 8), {}) == user.substr(0, 32)) {
    const std::string key = PasswordHash(p.Revision, password, Part(user, 40, 8), {});
    std::string file_key = AesCbcDecrypt(key, zero_iv, Part(p.UserKey, 0, 32));
    if (file_key.size() == 32) return file_key;
  }
  return std::nullopt;
}

}  // namespace

std::string Sha2(int bits, std::string_view data) {
  if (bits == 384 || bits == 512) {
    sha512_ctx ctx;
    std::string out(bits / 8, '\0');
    auto* dst = reinterpret_cast<uint8_t*>(out.data());
    if (bits == 384) {
      sha384_init(&ctx);
      sha384_update(&ctx, data.size(), Bytes(data));
      sha384_digest(&ctx, out.size(), dst);
    } else {
      sha512_init(&ctx);
      sha512_update(&ctx, data.size(), Bytes(data));
      sha512_digest(&ctx, out.size(), dst);
    }
    return out;
  }
  sha256_ctx ctx;
  std::string out(SHA256_DIGEST_SIZE, '\0');
  sha256_init(&ctx);
  sha256_update(&ctx, data.size(), Bytes(data));
  sha256_digest(&ctx, out.size(), reinterpret_cast<uint8_t*>(out.data()));
  return out;
}

std::string AesCbcEncrypt(std::string_view key, std::string_view iv, std::string_view data) {
  return AesCbc(key, iv, data, true);
}

std::string AesCbcDecrypt(std::string_view key, std::string_view iv, std::string_view data) {
  return AesCbc(key, iv, data, false);
}

std::string PadPassword(std::string_view password) {
  std::string padded(password.substr(0, std::min<std::size_t>(password.size(), 32)));
  for (std::size_t i = 0; padded.size() < 32; ++i)
    padded += static_cast<char>(kPasswordPad[i]);
  return padded;
}

std::string FileKeyFromUserPassword(std::string_view password, const TStandardParams& p) {
  std::string material = PadPassword(password);
  material.append(p.Owner, 0, std::min<std::size_t>(p.Owner.size(), 32));
  const auto bits = static_cast<uint32_t>(p.Permissions);
  for (int shift = 0; shift < 32; shift += 8)
    material += static_cast<char>((bits >> shift) & 0xFF);
  material += p.FileId;
  if (p.Revision >= 4 && !p.EncryptMetadata) material += std::string(4, '\xFF');
  const auto n = static_cast<std::size_t>(p.Revision == 2 ? 5 : std::clamp(p.KeyBytes, 5, 16));
  std::string digest = Md5String(material);
  if (p.Revision >= 3) {
    for (int i = 0; i < 50; ++i)
      digest = Md5String(std::string_view(digest).substr(0, n));
  }
  return digest.substr(0, n);
}

std::string UserHashFromKey(std::string_view key, const TStandardParams& p) {
  const std::string pad = PadPassword({});
  if (p.Revision == 2) return Rc4(key, pad);
  std::string hash = Rc4(key, Md5String(pad + p.FileId));
  for (int i = 1; i <= 19; ++i)
    hash = Rc4(XorKey(key, i), hash);
  return hash + pad.substr(0, 16);
}

std::string UserPasswordFromOwner(std::string_view owner_password, const TStandardParams& p) {
  std::string digest = Md5String(PadPassword(owner_password));
  if (p.Revision >= 3) {
    for (int i = 0; i < 50; ++i)
      digest = Md5String(digest);
  }
  const auto n = static_cast<std::size_t>(p.Revision == 2 ? 5 : std::clamp(p.KeyBytes, 5, 16));
  const std::string key = digest.substr(0, n);
  std::string user(p.Owner.substr(0, std::min<std::size_t>(p.Owner.size(), 32)));
  if (p.Revision == 2) return Rc4(key, user);
  for (int i = 19; i >= 0; --i)
    user = Rc4(XorKey(key, i), user);
  return user;
}

std::string PasswordHash(int revision, std::string_view password, std::string_view salt,
                         std::string_view user_key) {
  const std::string input = std::string(password) + std::string(salt) + std::string(user_key);
  std::string k = Sha2(256, input);
  if (revision < 6) return k;
  std::string e;
  // The rounds end once at least 64 are done and the last byte of E is not above round - 32;
  // that byte is below 256, so there are at most 288.
  for (int round = 0; round < 64 || static_cast<unsigned char>(e.back()) > round - 32; ++round) {
    std::string block = std::string(password) + k + std::string(user_key);
    std::string k1;
    k1.reserve(block.size() * 64);
    for (int i = 0; i < 64; ++i)
      k1 += block;
    e = AesCbcEncrypt(std::string_view(k).substr(0, 16), std::string_view(k).substr(16, 16), k1);
    // The first 16 bytes of E as a big number, modulo 3: the byte sum has the same remainder.
    int sum = 0;
    for (int i = 0; i < 16; ++i)
      sum += static_cast<unsigned char>(e[static_cast<std::size_t>(i)]);
    k = Sha2(sum % 3 == 0 ? 256 : sum % 3 == 1 ? 384 : 512, e);
  }
  return k.substr(0, 32);
}

std::optional<std::string> FileKeyForPassword(std::string_view password, const TStandardParams& p) {
  if (p.Revision >= 5) return AesKeyForPassword(password, p);
  const std::size_t compared = p.Revision == 2 ? 32 : 16;
  const auto opens = [&](std::string_view user_password) -> std::optional<std::string> {
    std::string key = FileKeyFromUserPassword(user_password, p);
    if (SameBytes(UserHashFromKey(key, p), p.User, compared)) return key;
    return std::nullopt;
  };
  if (auto key = opens(password)) return key;
  return opens(UserPasswordFromOwner(password, p));
}

}  // namespace paginor
