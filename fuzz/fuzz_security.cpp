// The standard security handler over any encryption values: a password opens with a key of the
// revision's length or not at all, and every crypt method decrypts within the data's size.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "pdf/security.h"
#include "pdf/standard_security.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  paginor::fuzz::TFuzzInput input(data, size);
  paginor::TStandardParams p;
  const uint8_t flags = input.Byte();
  p.Revision = 2 + flags % 5;
  p.KeyBytes = input.In(-4, 40);
  p.EncryptMetadata = (flags & 0x80) != 0;
  p.Permissions = static_cast<int32_t>(input.U16() << 16 | input.U16());
  p.Owner = std::string(input.Take(input.In(0, 60)));
  p.User = std::string(input.Take(input.In(0, 60)));
  p.OwnerKey = std::string(input.Take(input.In(0, 40)));
  p.UserKey = std::string(input.Take(input.In(0, 40)));
  p.FileId = std::string(input.Take(input.In(0, 32)));
  const std::string password(input.Take(input.In(0, 140)));
  if (const auto key = paginor::FileKeyForPassword(password, p)) {
    if (p.Revision >= 5) {
      FUZZ_CHECK(key->size() == 32);
    } else {
      FUZZ_CHECK(key->size() >= 5 && key->size() <= 16);
    }
  }

  paginor::TSecurityHandler handler;
  handler.Modern = true;
  handler.Key = std::string(input.Take(flags & 0x40 ? 32 : 16));
  const std::string stream(input.Rest());
  for (const auto method : {paginor::TCryptMethod::Identity, paginor::TCryptMethod::Rc4,
                            paginor::TCryptMethod::AesV2, paginor::TCryptMethod::AesV3}) {
    handler.StreamMethod = method;
    handler.StringMethod = method;
    std::string d = stream;
    handler.DecryptStream(static_cast<int32_t>(size), 0, d);
    FUZZ_CHECK(d.size() <= stream.size());
    std::string s = stream;
    handler.DecryptString(1, 0, s);
    FUZZ_CHECK(s.size() <= stream.size());
  }
  return 0;
}
