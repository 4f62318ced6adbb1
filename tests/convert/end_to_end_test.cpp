// Whole conversions of files made by real tools and by the PDF builder, compared with committed
// expected outputs. The fake measuring font makes them independent of the machine's fonts.
// After a deliberate change of the output, PAGINOR_UPDATE_EXPECTED=1 rewrites the files;
// read the difference before committing it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "convert/conversion.h"
#include "output/html_writer.h"
#include "output/rtf_writer.h"
#include "output/text_writer.h"
#include "support/fake_font.h"
#include "support/pdf_builder.h"
#include "support/read_structure.h"
#include "support/recording_host.h"

namespace paginor {
namespace {

using testing::PdfBuilder;
using testing::ReadFixture;
using testing::RecordingHost;

std::string BuilderDocument() {
  PdfBuilder pdf;
  const int font = pdf.Add(
      "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica "
      "/Encoding /WinAnsiEncoding >>");
  const int tree = pdf.Add("");
  const std::string resources = "/Resources << /Font << /F1 " + std::to_string(font) + " 0 R >> >>";
  const std::vector<std::string> contents = {
      "BT /F1 14 Tf 72 760 Td (Kapitel 1) Tj ET\n"
      "BT /F1 10 Tf 72 730 Td (Links) Tj 200 0 Td (Mitte) Tj 200 0 Td (Rechts) Tj ET\n"
      "BT /F1 10 Tf 90 700 Td [(Ein) -600 (Abstand) 300 (eng)] TJ ET",
      "BT /F1 10 Tf 12 TL 72 760 Td (Zeile eins) Tj T* (Zeile zwei \\344\\366\\374\\337) Tj ET"};
  std::string kids;
  for (const std::string& content : contents) {
    const int stream = pdf.AddStream("/Filter /FlateDecode", PdfBuilder::Deflate(content));
    kids += std::to_string(pdf.Add("<< /Type /Page /Parent " + std::to_string(tree) +
                                   " 0 R /MediaBox [0 0 595 842] " + resources + " /Contents " +
                                   std::to_string(stream) + " 0 R >>")) +
            " 0 R ";
  }
  pdf.Set(tree, "<< /Type /Pages /Kids [" + kids + "] >>");
  pdf.root = pdf.Add("<< /Type /Catalog /Pages " + std::to_string(tree) + " 0 R >>");
  return pdf.Build();
}

std::string Expected(const std::string& name) {
  return ReadFixture("expected/" + name);
}

void CompareOrUpdate(const std::string& name, const std::string& actual) {
  if (std::getenv("PAGINOR_UPDATE_EXPECTED") != nullptr) {
    std::ofstream(std::string(PAGINOR_TEST_DATA) + "/expected/" + name, std::ios::binary) << actual;
    return;
  }
  EXPECT_EQ(actual, Expected(name)) << name;
}

struct Case {
  const char* name;
  std::string (*file)();
  std::optional<std::string> password;
  bool strict = false;  // "Moderne und beschädigte PDF-Dateien lesen" off
};

class EndToEnd : public ::testing::TestWithParam<Case> {};

TEST_P(EndToEnd, TextHtmlAndRtfAsExpected) {
  const Case& c = GetParam();
  RecordingHost host;
  if (c.password) host.passwords.push_back(*c.password);
  host.options.ModernCheck = !c.strict;
  TDocumentState state;
  state.MeasureFont = testing::MakeFakeFont(96);
  const TConversionResult result = ConvertBuffer(state, host, c.file());
  EXPECT_FALSE(result.Invalid);
  EXPECT_TRUE(host.messages.empty());
  CompareOrUpdate(std::string(c.name) + ".txt", DocumentToPlainText(state.Memo1));
  CompareOrUpdate(std::string(c.name) + ".htm", HTMLFileContent(RTFToHTML(state.Memo1)));
  CompareOrUpdate(std::string(c.name) + ".rtf", DocumentToRTF(state.Memo1));
}

INSTANTIATE_TEST_SUITE_P(
    Files, EndToEnd,
    ::testing::Values(
        Case{"builder", &BuilderDocument, std::nullopt},
        Case{"ps2pdf-columns", [] { return ReadFixture("text/ps2pdf-columns.pdf"); }, std::nullopt},
        Case{"groff-ms", [] { return ReadFixture("text/groff-ms.pdf"); }, std::nullopt},
        // Its fonts' encoding dictionaries are inline: only the modern reader reads them.
        Case{"groff-ms-strict", [] { return ReadFixture("text/groff-ms.pdf"); }, std::nullopt,
             true},
        Case{"qpdf-rc4-40-geheim", [] { return ReadFixture("qpdf-rc4-40-geheim.pdf"); },
             std::string("geheim")},
        Case{"img2pdf-png", [] { return ReadFixture("images/img2pdf-png.pdf"); }, std::nullopt}),
    [](const auto& info) {
      std::string name = info.param.name;
      for (char& ch : name) {
        if (ch == '-') ch = '_';
      }
      return name;
    });

}  // namespace
}  // namespace paginor
