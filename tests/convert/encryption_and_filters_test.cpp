// "Moderne und beschädigte PDF-Dateien lesen" opens every revision of the standard security
// handler and decodes more content filters: real encrypted files convert to the text of the
// plain file, re-encoded content streams to the text of the original; with the option off the
// classic reader behaves as before.
#include <gtest/gtest.h>

#include <functional>
#include <regex>

#include "support/convert_file.h"
#include "support/filter_encoders.h"
#include "support/pdf_builder.h"
#include "support/read_structure.h"

namespace paginor {
namespace {

using testing::Convert;
using testing::Converted;
using testing::PdfBuilder;
using testing::ReadFixture;

const char* const kWrong = "Das Passwort war leider falsch!";
const char* const kInvalid = "Dies ist keine gültige PDF-Datei.";
const char* const kUnsupported = "Diese Verschlüsselung wird nicht unterstützt.";
const char* const kRepaired = "Die Datei war beschädigt und wurde repariert.";

bool Has(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

const std::string& PlainText() {
  static const std::string text = Convert(ReadFixture("text/ps2pdf-columns.pdf")).text;
  return text;
}

struct OpenCase {
  const char* file;
  std::vector<std::optional<std::string>> passwords;
  int prompts;
  std::vector<std::string> messages;
};

class EncryptedFiles : public ::testing::TestWithParam<OpenCase> {};

TEST_P(EncryptedFiles, ConvertToThePlainText) {
  const OpenCase& c = GetParam();
  const Converted converted =
      Convert(ReadFixture(std::string("crypt/") + c.file), true, c.passwords);
  EXPECT_EQ(converted.prompts, c.prompts);
  EXPECT_EQ(converted.MessageTexts(), c.messages);
  const bool opens = c.messages.empty() || c.messages.back() != kInvalid;
  EXPECT_EQ(converted.result.Invalid, !opens);
  if (opens) {
    ASSERT_GT(PlainText().size(), 100u);
    EXPECT_EQ(converted.text, PlainText());
  } else {
    EXPECT_TRUE(converted.result.PasswordRefused);
    EXPECT_EQ(converted.text, "");
  }
}

const std::vector<std::string> kNone;

INSTANTIATE_TEST_SUITE_P(
    EveryRevision, EncryptedFiles,
    ::testing::Values(OpenCase{"qpdf-r2-empty.pdf", {}, 0, kNone},
                      OpenCase{"qpdf-r2-geheim.pdf", {"geheim"}, 1, kNone},
                      OpenCase{"qpdf-r2-geheim.pdf", {"chef"}, 1, kNone},
                      OpenCase{"qpdf-r3-empty.pdf", {}, 0, kNone},
                      OpenCase{"qpdf-r3-geheim.pdf", {"geheim"}, 1, kNone},
                      OpenCase{"qpdf-r3-geheim.pdf", {"chef"}, 1, kNone},
                      OpenCase{"qpdf-r4-empty.pdf", {}, 0, kNone},
                      OpenCase{"qpdf-r4-geheim.pdf", {"geheim"}, 1, kNone},
                      OpenCase{"qpdf-r4-geheim.pdf", {"falsch", "chef"}, 2, {kWrong}},
                      OpenCase{"qpdf-r4-rc4-geheim.pdf", {"geheim"}, 1, kNone},
                      OpenCase{"qpdf-r4-cleartext-metadata.pdf", {"chef"}, 1, kNone},
                      OpenCase{"qpdf-r5-geheim.pdf", {"geheim"}, 1, kNone},
                      OpenCase{"qpdf-r6-empty.pdf", {}, 0, kNone},
                      OpenCase{"qpdf-r6-geheim.pdf", {"geheim"}, 1, kNone},
                      OpenCase{"qpdf-r6-geheim.pdf", {"chef"}, 1, kNone},
                      OpenCase{"qpdf-r6-geheim.pdf", {"", "falsch", "geheim"}, 3, {kWrong, kWrong}},
                      OpenCase{
                          "qpdf-r6-geheim.pdf", {"falsch", std::nullopt}, 2, {kWrong, kInvalid}},
                      OpenCase{"qpdf-r6-objstm.pdf", {"chef"}, 1, kNone},
                      OpenCase{"gs-r3-128-geheim.pdf", {"geheim"}, 1, kNone},
                      OpenCase{"gs-r3-56-empty.pdf", {}, 0, kNone},
                      // The prompt gives UTF-8; revision 4 hashes the password in PDFDocEncoding.
                      OpenCase{"qpdf-r4-umlaut.pdf",
                               {"gr\xC3\xB6\xC3\x9F"
                                "e"},
                               1,
                               kNone},
                      OpenCase{"qpdf-r6-umlaut.pdf",
                               {"gr\xC3\xB6\xC3\x9F"
                                "e"},
                               1,
                               kNone}),
    [](const auto& info) {
      std::string name = info.param.file;
      name = name.substr(0, name.size() - 4);
      for (const auto& p : info.param.passwords)
        name += "_" + (p ? (p->empty() ? std::string("empty") : *p) : std::string("cancel"));
      for (char& ch : name) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      }
      return name;
    });

TEST(EncryptedFiles, TheClassicReaderOpensRevision2WithTheUserPasswordAlone) {
  const struct {
    const char* file;
    std::vector<std::optional<std::string>> passwords;
    bool opens;
  } cases[] = {{"crypt/qpdf-r2-empty.pdf", {}, true},
               {"crypt/qpdf-r2-geheim.pdf", {"geheim"}, true},
               {"crypt/qpdf-r2-geheim.pdf", {"chef"}, false},
               {"crypt/qpdf-r3-empty.pdf", {}, false},
               {"crypt/qpdf-r4-empty.pdf", {}, false},
               {"crypt/qpdf-r6-geheim.pdf", {"geheim"}, false},
               {"crypt/gs-r3-56-empty.pdf", {}, false}};
  for (const auto& c : cases) {
    const Converted strict = Convert(ReadFixture(c.file), false, c.passwords);
    EXPECT_EQ(!strict.result.Invalid, c.opens) << c.file;
    if (c.opens) {
      EXPECT_EQ(strict.text, Convert(ReadFixture("text/ps2pdf-columns.pdf"), false).text);
    } else {
      // Every answer refused, then the cancel.
      EXPECT_EQ(strict.prompts, static_cast<int>(c.passwords.size()) + 1) << c.file;
      EXPECT_EQ(strict.MessageTexts().back(), kInvalid) << c.file;
    }
  }
}

TEST(EncryptedFiles, ARepairedFileKeepsItsEncryption) {
  for (const char* file : {"crypt/qpdf-r6-geheim.pdf", "crypt/qpdf-r2-geheim.pdf"}) {
    const Converted repaired = Convert("garbage" + ReadFixture(file), true, {"geheim"});
    EXPECT_TRUE(Has(repaired.status, kRepaired)) << file;
    EXPECT_EQ(repaired.prompts, 1) << file;
    EXPECT_EQ(repaired.text, PlainText()) << file;
  }
}

TEST(EncryptedFiles, AnotherSecurityHandlerIsRefusedOnce) {
  std::string file = ReadFixture("crypt/qpdf-r4-empty.pdf");
  const std::string standard = "/Filter /Standard";
  // A name of the same length keeps the table's offsets right.
  file.replace(file.find(standard), standard.size(), "/Filter /PubSecPK");
  const Converted modern = Convert(file, true, {"geheim"});
  ASSERT_EQ(modern.messages.size(), 1u);
  EXPECT_EQ(modern.messages[0].text, kUnsupported);
  EXPECT_EQ(modern.messages[0].caption, "Paginor");
  EXPECT_EQ(modern.messages[0].icon, TMessageIcon::Error);
  EXPECT_EQ(modern.prompts, 0);
  EXPECT_TRUE(modern.result.Invalid);
  EXPECT_FALSE(modern.result.PasswordRefused);
  EXPECT_EQ(modern.text, "");
  // The classic reader asks, and the user cancels.
  const Converted strict = Convert(file, false);
  EXPECT_EQ(strict.prompts, 1);
  EXPECT_EQ(strict.MessageTexts(), (std::vector<std::string>{kInvalid}));
}

// The plain file's content streams with their data encoded by the tests' own encoders and the
// dictionary entries that say so; every other object as it was, in a fresh table.
std::string Reencode(const std::string& file, const std::string& entries,
                     const std::function<std::string(const std::string&)>& encode) {
  std::set<int> contents;
  const std::regex content_ref("/Contents (\\d+) 0 R");
  for (std::sregex_iterator it(file.begin(), file.end(), content_ref), end; it != end; ++it)
    contents.insert(std::stoi((*it)[1]));
  PdfBuilder pdf;
  const std::regex object("(^|\\n)(\\d+) 0 obj\\n");
  for (std::sregex_iterator it(file.begin(), file.end(), object), end; it != end; ++it) {
    const int num = std::stoi((*it)[2]);
    const std::size_t body = static_cast<std::size_t>(it->position() + it->length());
    const std::string text = file.substr(body, file.find("endobj", body) - body);
    if (!contents.contains(num)) {
      pdf.Set(num, text);
      continue;
    }
    std::smatch length;
    EXPECT_TRUE(std::regex_search(text, length, std::regex("^<< /Length (\\d+) >>\\nstream\\n")))
        << text.substr(0, 40);
    const std::string data = text.substr(static_cast<std::size_t>(length.length()),
                                         static_cast<std::size_t>(std::stoi(length[1])));
    const std::string encoded = encode(data);
    pdf.Set(num, "<< " + entries + " /Length " + std::to_string(encoded.size()) + " >>\nstream\n" +
                     encoded + "\nendstream\n");
  }
  EXPECT_EQ(contents.size(), 2u);
  pdf.root = 1;
  return pdf.Build();
}

// Predicted data come in whole rows: the content is padded with blanks to a multiple of 16.
std::string Rows(std::string data) {
  data.append((16 - data.size() % 16) % 16, ' ');
  return data;
}

TEST(ContentFilters, ReencodedStreamsGiveTheTextOfTheOriginal) {
  using namespace testing;
  const std::string plain = ReadFixture("filters/uncompressed-columns.pdf");
  const std::string expected = Convert(plain).text;
  ASSERT_GT(expected.size(), 100u);
  EXPECT_EQ(expected, PlainText());
  const struct {
    const char* name;
    std::string entries;
    std::function<std::string(const std::string&)> encode;
    const char* classic_refuses;  // the filter the classic reader names, or null
  } cases[] = {
      {"ASCIIHex", "/Filter /ASCIIHexDecode", EncodeASCIIHex, "/ASCIIHexDecode"},
      {"RunLength", "/Filter /RunLengthDecode", EncodeRunLength, "/RunLengthDecode"},
      {"abbreviated names in an array", "/Filter [/AHx /RL]",
       [](const std::string& d) { return EncodeASCIIHex(EncodeRunLength(d)); }, "/AHx"},
      {"Flate with PNG predictors",
       "/Filter /FlateDecode /DecodeParms << /Predictor 12 /Columns 16 >>",
       [](const std::string& d) { return Deflate(EncodePng(Rows(d), 16, 1)); }, nullptr},
      {"Flate with the TIFF predictor",
       "/Filter [/FlateDecode] /DecodeParms [<< /Predictor 2 /Columns 16 >>]",
       [](const std::string& d) { return Deflate(EncodeTiff(Rows(d), 16, 1)); }, nullptr},
      {"LZW with PNG predictors, four colours",
       "/Filter /LZWDecode /DecodeParms << /Predictor 15 /Columns 4 /Colors 4 >>",
       [](const std::string& d) { return EncodeLzw(EncodePng(Rows(d), 16, 4)); }, nullptr},
      {"RunLength after Flate", "/Filter [/FlateDecode /RunLengthDecode]",
       [](const std::string& d) { return Deflate(EncodeRunLength(d)); }, "/RunLengthDecode"},
  };
  for (const auto& c : cases) {
    const std::string file = Reencode(plain, c.entries, c.encode);
    const Converted modern = Convert(file);
    EXPECT_FALSE(modern.result.Invalid) << c.name;
    EXPECT_FALSE(Has(modern.status, kRepaired)) << c.name;
    EXPECT_EQ(modern.text, expected) << c.name;
    const Converted strict = Convert(file, false);
    EXPECT_NE(strict.text, expected) << c.name;
    if (c.classic_refuses != nullptr) {
      EXPECT_TRUE(Has(strict.status, std::string("Die Komprimierung ") + c.classic_refuses +
                                         " wird nicht unterstützt, deshalb kann die Seite 1 "
                                         "nicht gelesen werden!"))
          << c.name;
    }
  }
}

}  // namespace
}  // namespace paginor
