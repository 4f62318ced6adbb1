// No output of a conversion holds a control character: codes without a character (0 from the
// glyph table, 00 bytes of a string, control codes of a font) are left out of the document.
#include <gtest/gtest.h>

#include <filesystem>

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

// The first byte below 0x20 other than tab, CR and LF, as its position; -1 when there is none.
int64_t FirstControlByte(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x20 && c != '\t' && c != '\r' && c != '\n') return static_cast<int64_t>(i);
  }
  return -1;
}

void ExpectNoControlBytes(const std::string& file, const std::string& name) {
  for (const bool modern : {true, false}) {
    testing::RecordingHost host;
    host.options.ModernCheck = modern;
    host.passwords.push_back(std::string("geheim"));
    TDocumentState state;
    state.MeasureFont = testing::MakeFakeFont(96);
    ConvertBuffer(state, host, file);
    TRichDocument& doc = state.Memo1;
    EXPECT_EQ(FirstControlByte(doc.Text()), -1) << name << (modern ? "" : " (strict)");
    EXPECT_EQ(FirstControlByte(DocumentToPlainText(doc)), -1) << name;
    EXPECT_EQ(FirstControlByte(DocumentToRTF(doc)), -1) << name;
    for (const std::string& line : RTFToHTML(doc))
      EXPECT_EQ(FirstControlByte(line), -1) << name;
  }
}

TEST(OutputCharacters, NoControlBytesFromCodesWithoutCharacters) {
  // A 00 byte in a hexadecimal string, codes the glyph table has no character for, and a
  // /Differences name that no table knows.
  testing::PdfBuilder pdf;
  pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
  pdf.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  pdf.Set(3,
          "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 4 0 "
          "R >> >> /Contents 5 0 R >>");
  pdf.Set(4,
          "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding << /BaseEncoding "
          "/WinAnsiEncoding /Differences [1 /nosuchglyph] >> >>");
  const std::string content =
      "BT /F1 12 Tf 72 700 Td <480065006C> Tj (\\001\\002\\003\\037x) Tj [(a) -300 <0000>] TJ ET";
  pdf.Set(5, "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content +
                 "\nendstream");
  pdf.root = 1;
  ExpectNoControlBytes(pdf.Build(), "built");
}

TEST(OutputCharacters, NoControlBytesInTheFixtures) {
  const std::filesystem::path data(PAGINOR_TEST_DATA);
  int files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(data)) {
    if (entry.path().extension() != ".pdf") continue;
    const std::string name = std::filesystem::relative(entry.path(), data).string();
    ExpectNoControlBytes(testing::ReadFixture(name), name);
    ++files;
  }
  EXPECT_GT(files, 20);  // the fixtures were found
}

}  // namespace
}  // namespace paginor
