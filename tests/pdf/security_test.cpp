#include "pdf/security.h"

#include <gtest/gtest.h>

#include <cctype>

#include "pdf/content_stream.h"
#include "pdf/literals.h"
#include "pdf/unlock.h"
#include "support/pdf_builder.h"
#include "support/read_structure.h"

namespace paginor {
namespace {

using testing::FixedPrompt;
using testing::PdfBuilder;
using testing::ReadFixture;
using testing::ReadStructure;

std::string Hex(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (const char c : bytes) {
    out += kDigits[static_cast<unsigned char>(c) >> 4];
    out += kDigits[static_cast<unsigned char>(c) & 15];
  }
  return out;
}

std::string Hex(const TDigest& digest) {
  return Hex(std::string(reinterpret_cast<const char*>(digest.data()), digest.size()));
}

TEST(Md5, KnownAnswers) {
  EXPECT_EQ(Hex(Md5("")), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(Hex(Md5("abc")), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Hex(Md5("message digest")), "f96b697d7cb7938d525a2f31aaf161d0");
}

TEST(Rc4, KnownAnswers) {
  const struct {
    std::string key, plain, cipher_hex;
  } cases[] = {{"Key", "Plaintext", "bbf316e8d940af0ad3"},
               {"Wiki", "pedia", "1021bf0420"},
               {"Secret", "Attack at dawn", "45a01f645fc35b383552544b9bf5"},
               // A 40-bit key, as the document key is.
               {"\x01\x02\x03\x04\x05", std::string(16, '\0'), "b2396305f03dc027ccc3524a0a1118a8"}};
  for (const auto& c : cases) {
    std::string data = c.plain;
    Rc4InPlace(reinterpret_cast<const unsigned char*>(c.key.data()), c.key.size(), data);
    EXPECT_EQ(Hex(data), c.cipher_hex) << c.key;
    Rc4InPlace(reinterpret_cast<const unsigned char*>(c.key.data()), c.key.size(), data);
    EXPECT_EQ(data, c.plain);
  }
}

// An encryption dictionary with the given entries, read the way the handler reads it.
TSecurityHandler ReadEncrypt(const std::string& entries) {
  PdfBuilder pdf;
  pdf.Add("<< /Filter /Standard /V 1 /R 2 " + entries + " >>");
  pdf.root = 1;
  pdf.trailer_extra = "/Encrypt 1 0 R";
  TDocReader reader(pdf.Build());
  ReadXrefAndTrailer(reader);
  ReadEncryptDictionary(reader);
  return reader.Security;
}

TEST(EncryptDictionary, PermissionsKeepTheirLow32Bits) {
  const struct {
    const char* text;
    int32_t permissions;
  } cases[] = {{"/P -4", -4}, {"/P 4294967292", -4}, {"/P -3904", -3904}, {"/P x", 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(ReadEncrypt(c.text).Permissions, c.permissions) << c.text;
  }
}

TEST(EncryptDictionary, HashesAsLiteralOrHexString) {
  const TSecurityHandler literal = ReadEncrypt("/O (a\\)b\\053) /U (x)");
  EXPECT_EQ(literal.OwnerHash, "a)b+");
  EXPECT_EQ(literal.UserHash, "x");
  const TSecurityHandler hex = ReadEncrypt("/O <00ff10> /U <4142>");
  EXPECT_EQ(hex.OwnerHash, std::string("\x00\xff\x10", 3));
  EXPECT_EQ(hex.UserHash, "AB");
}

TEST(FileIdentifier, HexDigitsAreDecodedLiteralBytesKept) {
  TSecurityHandler hex;
  hex.FileId = "<0A1b2";
  hex.DecodeFileId();
  EXPECT_EQ(hex.FileId, "\x0A\x1B");
  TSecurityHandler literal;
  literal.FileId = "a\\053";
  literal.DecodeFileId();
  EXPECT_EQ(literal.FileId, "a\\053");
}

TEST(ObjectKey, DecryptsWithTheObjectsOwnKey) {
  TSecurityHandler security;
  security.FileKey = Md5("Schluessel");
  std::string data = "BT /F1 12 Tf (Hallo) Tj ET";
  // Encrypt with object 12, generation 0; another object's key must not decrypt it.
  security.DecryptObject(12, 0, data);
  std::string wrong = data;
  security.DecryptObject(13, 0, wrong);
  EXPECT_NE(wrong, "BT /F1 12 Tf (Hallo) Tj ET");
  security.DecryptObject(12, 0, data);
  EXPECT_EQ(data, "BT /F1 12 Tf (Hallo) Tj ET");
}

// The first page's decoded content of a real encrypted file.
std::string FirstPageContent(TDocReader& reader) {
  EXPECT_GE(reader.Pages.Count(), 1);
  if (reader.Pages.Count() < 1) return "";
  return ReadPageContent(reader, reader.Pages[0], 1, [](const std::string&) {}).ContentBuffer;
}

struct FixtureCase {
  const char* file;
  std::optional<std::string> answer;
  int prompts;
  int wrong_messages;
  bool opens;
};

class EncryptedFixture : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(EncryptedFixture, OpensAsThePasswordAllows) {
  const FixtureCase& c = GetParam();
  FixedPrompt prompt(c.answer);
  auto reader = ReadStructure(ReadFixture(c.file), &prompt);
  EXPECT_TRUE(reader->Encrypted);
  EXPECT_EQ(prompt.asked, c.prompts);
  EXPECT_EQ(prompt.wrong, c.wrong_messages);
  EXPECT_EQ(!reader->Invalid, c.opens);
  if (!c.opens) return;
  EXPECT_EQ(reader->Pages.Count(), 2);
  const std::string content = FirstPageContent(*reader);
  EXPECT_NE(content.find("Tf"), std::string::npos) << "content not decrypted";
  EXPECT_NE(content.find("BT"), std::string::npos) << "content not decrypted";
}

INSTANTIATE_TEST_SUITE_P(RealFiles, EncryptedFixture,
                         ::testing::Values(
                             // qpdf writes /O and /U as hexadecimal strings and /P -4.
                             FixtureCase{"qpdf-rc4-40-empty.pdf", std::nullopt, 0, 0, true},
                             FixtureCase{"qpdf-rc4-40-geheim.pdf", std::string("geheim"), 1, 0,
                                         true},
                             FixtureCase{"qpdf-rc4-40-geheim.pdf", std::nullopt, 1, 0, false},
                             // ghostscript writes /P 4294967292.
                             FixtureCase{"gs-rc4-40-empty.pdf", std::nullopt, 0, 0, true}),
                         [](const auto& info) {
                           std::string name = info.param.file;
                           for (char& ch : name) {
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           }
                           return name + (info.param.answer ? "_with_password" : "_without");
                         });

// Answers from a list, then cancels.
class ScriptedPrompt final : public TPasswordPrompt {
 public:
  explicit ScriptedPrompt(std::vector<std::string> answers) : answers_(std::move(answers)) {}
  std::optional<std::string> AskPassword() override {
    if (next_ >= answers_.size()) return std::nullopt;
    return answers_[next_++];
  }
  void WrongPassword() override { ++wrong; }
  int wrong = 0;

 private:
  std::vector<std::string> answers_;
  std::size_t next_ = 0;
};

TEST(PasswordCheck, WrongEntriesAreReportedBeforeEachFurtherPrompt) {
  ScriptedPrompt prompt({"falsch", "", "geheim"});
  auto reader = ReadStructure(ReadFixture("qpdf-rc4-40-geheim.pdf"), &prompt);
  EXPECT_FALSE(reader->Invalid);
  EXPECT_EQ(prompt.wrong, 2);  // after "falsch" and after the empty entry
  EXPECT_NE(FirstPageContent(*reader).find("Tf"), std::string::npos);
}

TEST(PasswordCheck, TheOwnerPasswordIsNotAccepted) {
  ScriptedPrompt prompt({"besitzer"});
  auto reader = ReadStructure(ReadFixture("qpdf-rc4-40-geheim.pdf"), &prompt);
  EXPECT_TRUE(reader->Invalid);
  EXPECT_EQ(prompt.wrong, 1);
}

}  // namespace
}  // namespace paginor
