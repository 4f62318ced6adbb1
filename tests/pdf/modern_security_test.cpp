// The modern reader's security handler: the key derivations against known answers, every
// revision of qpdf's and ghostscript's files with the user and the owner password, the
// prompts, crypt filters, and the handlers it refuses.
#include <gtest/gtest.h>

#include <cctype>

#include "pdf/content_stream.h"
#include "pdf/modern_unlock.h"
#include "pdf/standard_security.h"
#include "support/pdf_builder.h"
#include "support/read_structure.h"

namespace paginor {
namespace {

using testing::PdfBuilder;
using testing::ReadFixture;
using testing::ReadStructure;

std::string Hex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (const char c : bytes) {
    out += kDigits[static_cast<unsigned char>(c) >> 4];
    out += kDigits[static_cast<unsigned char>(c) & 15];
  }
  return out;
}

std::string Unhex(std::string_view hex) {
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    out += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
  return out;
}

std::string Bytes0To(int n) {
  std::string s;
  for (int i = 0; i < n; ++i)
    s += static_cast<char>(i);
  return s;
}

TEST(Sha2AndAes, KnownAnswers) {
  // FIPS 180-2 and SP 800-38A (F.2.1, F.2.5: the first block of CBC).
  EXPECT_EQ(Hex(Sha2(256, "abc")),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Hex(Sha2(384, "abc")),
            "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed"
            "8086072ba1e7cc2358baeca134c825a7");
  EXPECT_EQ(Hex(Sha2(512, "abc")),
            "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a"
            "2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f");
  const std::string iv = Unhex("000102030405060708090a0b0c0d0e0f");
  const std::string plain = Unhex("6bc1bee22e409f96e93d7e117393172a");
  const struct {
    const char* key;
    const char* cipher;
  } cases[] = {{"2b7e151628aed2a6abf7158809cf4f3c", "7649abac8119b246cee98e9b12e9197d"},
               {"603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4",
                "f58c4c04d6e5f1ba779eabfb5f7bfbd6"}};
  for (const auto& c : cases) {
    EXPECT_EQ(Hex(AesCbcEncrypt(Unhex(c.key), iv, plain)), c.cipher) << c.key;
    EXPECT_EQ(AesCbcDecrypt(Unhex(c.key), iv, Unhex(c.cipher)), plain) << c.key;
  }
}

// Algorithm 2 (the file key) and 4/5 (the /U it gives), computed independently with Python's
// hashlib and an RC4 of its own, for /O = bytes 0..31, /P -3904 and a fixed identifier.
TEST(StandardKeys, UserPasswordKnownAnswers) {
  const struct {
    const char* name;
    std::string password;
    int revision;
    int key_bytes;
    bool encrypt_metadata;
    const char* key;
    const char* user_hash;  // 32 bytes for revision 2, the defined 16 for later ones
  } cases[] = {
      {"R2 empty", "", 2, 5, true, "03e783afbe",
       "0fc447ae2718fc901b8496da91350859576ff6788c0b5cab3ac80490b04ba4bb"},
      {"R3 128 bits", "geheim", 3, 16, true, "aa673782b3956fa7305bfc4b81180770",
       "34e9ca49460cf7272c5b863269f597a1"},
      {"R3 56 bits", "geheim", 3, 7, true, "cee63abe5989ce", "837790746b3c027fb1dbbca51ad2e664"},
      {"R4 metadata in clear", "geheim", 4, 16, false, "26de4bd16f6ba4001720bf33a677722b",
       "7f78ab576d8e1c269c702b03adffe16d"},
  };
  for (const auto& c : cases) {
    TStandardParams p;
    p.Revision = c.revision;
    p.KeyBytes = c.key_bytes;
    p.Owner = Bytes0To(32);
    p.Permissions = -3904;
    p.FileId = Unhex("0123456789abcdeffedcba9876543210");
    p.EncryptMetadata = c.encrypt_metadata;
    const std::string key = FileKeyFromUserPassword(c.password, p);
    EXPECT_EQ(Hex(key), c.key) << c.name;
    const std::string hash = UserHashFromKey(key, p);
    const std::size_t defined = c.revision == 2 ? 32 : 16;
    EXPECT_EQ(Hex(hash.substr(0, defined)), c.user_hash) << c.name;
    // Opening with that /U recovers the same key.
    p.User = hash;
    EXPECT_EQ(FileKeyForPassword(c.password, p), key) << c.name;
    EXPECT_FALSE(FileKeyForPassword(c.password + "x", p)) << c.name;
  }
}

// Algorithm 2.B (revision 6) and the plain SHA-256 of revision 5, computed independently with
// Python's hashlib and the cryptography package.
TEST(StandardKeys, PasswordHashKnownAnswers) {
  const struct {
    std::string password, salt, user_key;
    const char* r6;
    const char* r5;
  } cases[] = {
      {"geheim", "12345678", "", "5c931d757156960620d91e230ef99243bf6613d488157b282a8f4ab46b122873",
       "d289e38ae5c917c3f02d753082ecc9203a7626155112f107dc2b0015a9526954"},
      {"chef", "abcdefgh", Bytes0To(48),
       "a400769d4a4b649fa80bf21f3dabdfa466b011f1692f1670f6bedbaa3e754c6b",
       "52b062c761d3f68af9bcd708cf435ad85af9f20715c214a1206bb9bd85db616b"},
      {"", std::string(8, '\0'), "",
       "439feba099a63d0d035a1e5fb67ff307329189584956425aff2d3bd3d15edc60",
       "af5570f5a1810b7af78caf4bc70a660f0df51e42baf91d4de5b2328de0e83dfc"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Hex(PasswordHash(6, c.password, c.salt, c.user_key)), c.r6) << c.password;
    EXPECT_EQ(Hex(PasswordHash(5, c.password, c.salt, c.user_key)), c.r5) << c.password;
  }
}

TEST(StandardKeys, TheOwnerPasswordRecoversThePaddedUserPassword) {
  TStandardParams p;
  p.Revision = 3;
  p.KeyBytes = 16;
  p.Permissions = -4;
  p.FileId = "identifier";
  // /O as algorithm 3 makes it, written out: RC4 of the padded user password under the owner
  // key, then 19 passes with the key XORed with 1 to 19.
  const TDigest owner_digest = [] {
    TDigest d = Md5(PadPassword("chef"));
    for (int i = 0; i < 50; ++i)
      d = Md5(std::string_view(reinterpret_cast<const char*>(d.data()), d.size()));
    return d;
  }();
  std::string owner = PadPassword("geheim");
  for (int i = 0; i <= 19; ++i) {
    std::string key(reinterpret_cast<const char*>(owner_digest.data()), 16);
    for (char& ch : key)
      ch = static_cast<char>(static_cast<unsigned char>(ch) ^ i);
    Rc4InPlace(reinterpret_cast<const unsigned char*>(key.data()), key.size(), owner);
  }
  p.Owner = owner;
  EXPECT_EQ(UserPasswordFromOwner("chef", p), PadPassword("geheim"));
  EXPECT_NE(UserPasswordFromOwner("chief", p), PadPassword("geheim"));
}

// Answers from a list, then cancels; counts what the handler asked for.
class ScriptedPrompt final : public TPasswordPrompt {
 public:
  explicit ScriptedPrompt(std::vector<std::string> answers) : answers_(std::move(answers)) {}
  std::optional<std::string> AskPassword() override {
    ++asked;
    if (next_ >= answers_.size()) return std::nullopt;
    return answers_[next_++];
  }
  void WrongPassword() override { ++wrong; }
  void Unsupported() override { ++unsupported; }
  int asked = 0;
  int wrong = 0;
  int unsupported = 0;

 private:
  std::vector<std::string> answers_;
  std::size_t next_ = 0;
};

std::string FirstPageContent(TDocReader& reader) {
  if (reader.Pages.Count() < 1) return "";
  return ReadPageContent(reader, reader.Pages[0], 1, [](const std::string&) {}).ContentBuffer;
}

struct KeyCase {
  const char* file;
  std::vector<std::string> answers;
  int prompts;
  int wrong;
  const char* key;  // as qpdf --show-encryption-key gives it
};

class RealFiles : public ::testing::TestWithParam<KeyCase> {};

TEST_P(RealFiles, OpenWithTheKeyQpdfShows) {
  const KeyCase& c = GetParam();
  ScriptedPrompt prompt(c.answers);
  auto reader = ReadStructure(ReadFixture(std::string("crypt/") + c.file), &prompt, true);
  EXPECT_EQ(prompt.asked, c.prompts);
  EXPECT_EQ(prompt.wrong, c.wrong);
  EXPECT_EQ(prompt.unsupported, 0);
  ASSERT_FALSE(reader->Invalid);
  EXPECT_EQ(Hex(reader->Security.Key), c.key);
  ASSERT_EQ(reader->Pages.Count(), 2);
  const std::string content = FirstPageContent(*reader);
  EXPECT_NE(content.find("(Erste Spalte, zweite Zeile)"), std::string::npos) << content;
}

const char* const kR2 = "8f55e0c2da";
const char* const kR3 = "da31744f2539cf0b17051e89a3f042eb";
const char* const kR6 = "78d0ffd03978ae193728158859a50b5c9c84cf2d950fcaa79b5479a9b35b17bf";

INSTANTIATE_TEST_SUITE_P(
    EveryRevision, RealFiles,
    ::testing::Values(
        KeyCase{"qpdf-r2-empty.pdf", {}, 0, 0, "241ae02890"},
        KeyCase{"qpdf-r2-geheim.pdf", {"geheim"}, 1, 0, kR2},
        KeyCase{"qpdf-r2-geheim.pdf", {"chef"}, 1, 0, kR2},
        KeyCase{"qpdf-r3-empty.pdf", {}, 0, 0, "ef393106d83fae8a18cd052558144de5"},
        KeyCase{"qpdf-r3-geheim.pdf", {"geheim"}, 1, 0, kR3},
        KeyCase{"qpdf-r3-geheim.pdf", {"falsch", "chef"}, 2, 1, kR3},
        KeyCase{"qpdf-r4-empty.pdf", {}, 0, 0, "ef393106d83fae8a18cd052558144de5"},
        KeyCase{"qpdf-r4-geheim.pdf", {"geheim"}, 1, 0, kR3},
        KeyCase{"qpdf-r4-geheim.pdf", {"chef"}, 1, 0, kR3},
        KeyCase{"qpdf-r4-rc4-geheim.pdf", {"chef"}, 1, 0, kR3},
        KeyCase{
            "qpdf-r4-cleartext-metadata.pdf", {"geheim"}, 1, 0, "04acda94c7b6fc300ccd0cb0a2f80d8e"},
        KeyCase{"qpdf-r5-geheim.pdf",
                {"chef"},
                1,
                0,
                "248d0ff75f6247fcc689ccc00b080eb14216980855c53ab5ce143333fd59f803"},
        KeyCase{"qpdf-r6-empty.pdf",
                {},
                0,
                0,
                "6dbb82042a7341392b4fbb20be0439eb5497c4702f3d23f2dbf262c92009fe4c"},
        KeyCase{"qpdf-r6-geheim.pdf", {"geheim"}, 1, 0, kR6},
        KeyCase{"qpdf-r6-geheim.pdf", {"", "Geheim", "chef"}, 3, 2, kR6},
        KeyCase{"qpdf-r6-objstm.pdf",
                {"geheim"},
                1,
                0,
                "427de9077b18283a8dc14a55ed670f6182cb52b32bb5d94a8fe191873310667e"},
        KeyCase{"gs-r3-128-geheim.pdf", {"geheim"}, 1, 0, "962711694bd9adecd56da4e65e632523"},
        KeyCase{"gs-r3-128-geheim.pdf", {"chef"}, 1, 0, "962711694bd9adecd56da4e65e632523"},
        KeyCase{"gs-r3-56-empty.pdf", {}, 0, 0, "d76a3aeabd0f19"}),
    [](const auto& info) {
      std::string name = info.param.file;
      name = name.substr(0, name.size() - 4);
      for (const std::string& answer : info.param.answers)
        name += "_" + (answer.empty() ? std::string("empty") : answer);
      for (char& ch : name) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      }
      return name;
    });

TEST(ModernUnlock, CancelLeavesTheDocumentInvalid) {
  for (const char* file : {"crypt/qpdf-r4-geheim.pdf", "crypt/qpdf-r6-geheim.pdf"}) {
    ScriptedPrompt prompt({"falsch"});
    auto reader = ReadStructure(ReadFixture(file), &prompt, true);
    EXPECT_TRUE(reader->Invalid) << file;
    EXPECT_EQ(prompt.asked, 2) << file;  // "falsch", then the cancelled one
    EXPECT_EQ(prompt.wrong, 1) << file;
    EXPECT_FALSE(reader->Security.Modern) << file;
  }
}

// The classic reader knows revision 2 with the user password alone; the later revisions never
// pass its check, so the user can only cancel.
TEST(ModernUnlock, TheClassicReaderKeepsItsOwnRules) {
  const struct {
    const char* file;
    std::vector<std::string> answers;
    bool opens;
  } cases[] = {{"crypt/qpdf-r2-geheim.pdf", {"geheim"}, true},
               {"crypt/qpdf-r2-geheim.pdf", {"chef"}, false},
               {"crypt/qpdf-r3-empty.pdf", {"", "chef"}, false},
               {"crypt/qpdf-r4-empty.pdf", {}, false},
               {"crypt/qpdf-r6-empty.pdf", {}, false},
               {"crypt/gs-r3-56-empty.pdf", {}, false}};
  for (const auto& c : cases) {
    ScriptedPrompt prompt(c.answers);
    auto reader = ReadStructure(ReadFixture(c.file), &prompt, false);
    EXPECT_EQ(!reader->Invalid, c.opens) << c.file;
    EXPECT_EQ(prompt.unsupported, 0) << c.file;
    EXPECT_FALSE(reader->Security.Modern) << c.file;
    if (!c.opens) {
      EXPECT_EQ(prompt.asked, static_cast<int>(c.answers.size()) + 1) << c.file;
    }
  }
}

// The encryption dictionary and /ID of a real AES-128 file with the empty user password, so that
// a built file opens with the same key.
struct RealEncryption {
  std::string dictionary;  // "<< ... >>"
  std::string id;          // "/ID [...]"
};

RealEncryption EncryptionOf(const std::string& file) {
  RealEncryption e;
  const std::size_t filter = file.find("/Filter /Standard");
  const std::size_t start = file.rfind("obj", filter) + 3;
  const std::size_t end = file.find("endobj", filter);
  e.dictionary = file.substr(start, end - start);
  const std::size_t id = file.find("/ID [");
  e.id = file.substr(id, file.find(']', id) + 1 - id);
  return e;
}

std::string BuildEncrypted(const std::string& dictionary, const std::string& id,
                           const std::string& content_dict, const std::string& content) {
  PdfBuilder pdf;
  pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
  pdf.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  pdf.Set(3, "<< /Type /Page /Parent 2 0 R /Contents 4 0 R >>");
  pdf.AddStream(content_dict, content);
  pdf.Set(9, dictionary);
  pdf.root = 1;
  pdf.trailer_extra = "/Encrypt 9 0 R " + id;
  return pdf.Build();
}

TEST(CryptFilters, StreamsTakeTheMethodTheirFilterNames) {
  const RealEncryption aes = EncryptionOf(ReadFixture("crypt/qpdf-r4-empty.pdf"));
  ASSERT_NE(aes.dictionary.find("/StmF /StdCF"), std::string::npos);
  std::string identity_default = aes.dictionary;
  identity_default.replace(identity_default.find("/StmF /StdCF"), 12, "/StmF /Identity");
  const std::string text = "BT /F1 12 Tf 72 700 Td (Klartext) Tj ET";
  const struct {
    const char* name;
    std::string dictionary;
    std::string stream_dict;
    bool plain_comes_out;
  } cases[] = {
      // Plain text taken as AES data does not survive.
      {"AES by default", aes.dictionary, "", false},
      {"/StmF /Identity", identity_default, "", true},
      {"/Crypt with /Name /Identity", aes.dictionary,
       "/Filter [/Crypt] /DecodeParms [<< /Name /Identity >>]", true},
      {"/Crypt without /Name", aes.dictionary, "/Filter /Crypt", true},
      {"/Crypt naming /StdCF", aes.dictionary, "/Filter /Crypt /DecodeParms << /Name /StdCF >>",
       false},
  };
  for (const auto& c : cases) {
    ScriptedPrompt prompt({});
    auto reader =
        ReadStructure(BuildEncrypted(c.dictionary, aes.id, c.stream_dict, text), &prompt, true);
    ASSERT_FALSE(reader->Invalid) << c.name;
    EXPECT_EQ(prompt.asked, 0) << c.name;
    const std::string content = FirstPageContent(*reader);
    EXPECT_EQ(content == text + "\n", c.plain_comes_out) << c.name << ": " << content;
  }
}

TEST(ModernUnlock, OtherHandlersAreRefusedWithoutAPrompt) {
  const RealEncryption aes = EncryptionOf(ReadFixture("crypt/qpdf-r4-empty.pdf"));
  const auto with = [&aes](const std::string& from, const std::string& to) {
    std::string d = aes.dictionary;
    d.replace(d.find(from), from.size(), to);
    return d;
  };
  const struct {
    const char* name;
    std::string dictionary;
    bool refused;
  } cases[] = {
      {"the standard handler", aes.dictionary, false},
      {"another handler", with("/Filter /Standard", "/Filter /Adobe.PubSec"), true},
      {"an unknown crypt method", with("/CFM /AESV2", "/CFM /FancyCipher"), true},
      {"an unknown version", with("/V 4", "/V 3"), true},
      {"an unknown revision", with("/R 4", "/R 7"), true},
      {"a default filter that is not defined", with("/StmF /StdCF", "/StmF /Other"), true},
  };
  for (const auto& c : cases) {
    const std::string file = BuildEncrypted(c.dictionary, aes.id, "", "BT ET");
    ScriptedPrompt prompt({"geheim"});
    auto reader = ReadStructure(file, &prompt, true);
    EXPECT_EQ(prompt.unsupported, c.refused ? 1 : 0) << c.name;
    EXPECT_EQ(prompt.asked, 0) << c.name;
    EXPECT_EQ(reader->Invalid, c.refused) << c.name;
    // The classic reader does not tell them apart: it asks, as it always did.
    ScriptedPrompt classic({});
    auto strict = ReadStructure(file, &classic, false);
    EXPECT_EQ(classic.unsupported, 0) << c.name;
    EXPECT_EQ(classic.asked, 1) << c.name;
  }
}

TEST(ModernUnlock, AesDataTooShortOrBadlyPaddedStayBounded) {
  TSecurityHandler security;
  security.Modern = true;
  security.Key = std::string(32, 'k');
  security.StreamMethod = TCryptMethod::AesV3;
  const std::string iv(16, 'i');
  const std::string plain = "0123456789abcdef0123";  // 20 bytes: padded with 12 bytes of 12
  std::string padded = plain + std::string(12, '\x0C');
  std::string data = iv + AesCbcEncrypt(security.Key, iv, padded);
  security.DecryptStream(1, 0, data);
  EXPECT_EQ(data, plain);
  const struct {
    const char* name;
    std::string data;
    std::size_t size;
  } cases[] = {
      {"shorter than the vector", std::string(7, 'x'), 0},
      {"the vector alone", iv, 0},
      {"a partial last block", iv + AesCbcEncrypt(security.Key, iv, padded) + "xyz", 20},
      {"no valid padding", iv + AesCbcEncrypt(security.Key, iv, std::string(32, 'A')), 32},
  };
  for (const auto& c : cases) {
    std::string d = c.data;
    security.DecryptStream(1, 0, d);
    EXPECT_EQ(d.size(), c.size) << c.name;
  }
}

}  // namespace
}  // namespace paginor
