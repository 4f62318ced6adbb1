// "Moderne und beschädigte PDF-Dateien lesen": files with cross-reference and object streams,
// hybrid files and damaged files convert to the text of the same document written classically.
#include <gtest/gtest.h>

#include <functional>

#include "convert/conversion.h"
#include "output/text_writer.h"
#include "pdf/repair.h"
#include "pdf/xref.h"
#include "support/convert_file.h"
#include "support/fake_font.h"
#include "support/filter_encoders.h"
#include "support/pdf_builder.h"
#include "support/read_structure.h"
#include "support/recording_host.h"

namespace paginor {
namespace {

using testing::Convert;
using testing::Converted;
using testing::PdfBuilder;
using testing::ReadFixture;
using testing::RecordingHost;

const char* const kRepaired = "Die Datei war beschädigt und wurde repariert.";

bool Has(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(ModernFiles, ObjectStreamsGiveTheClassicText) {
  const struct {
    const char* classic;
    const char* streams;
  } cases[] = {{"text/ps2pdf-columns.pdf", "modern/ps2pdf-columns-objstm.pdf"},
               {"text/groff-ms.pdf", "modern/groff-ms-objstm.pdf"},
               {"images/img2pdf-png.pdf", "modern/img2pdf-png-objstm.pdf"}};
  for (const auto& c : cases) {
    const Converted classic = Convert(ReadFixture(c.classic));
    const Converted streams = Convert(ReadFixture(c.streams));
    EXPECT_FALSE(streams.result.Invalid) << c.streams;
    EXPECT_FALSE(Has(streams.status, kRepaired)) << c.streams;
    EXPECT_GT(classic.text.size(), 20u);
    EXPECT_EQ(streams.text, classic.text) << c.streams;
    // The classic reader refuses them, as it always did.
    const Converted strict = Convert(ReadFixture(c.streams), false);
    EXPECT_TRUE(strict.result.Invalid) << c.streams;
    EXPECT_EQ(strict.MessageTexts(),
              (std::vector<std::string>{"Dies ist keine gültige PDF-Datei."}));
  }
}

TEST(ModernFiles, CommentsInsideObjectsAndAStreamKeywordWithALoneCR) {
  const std::string content = "BT /F1 12 Tf 72 700 Td (Kommentiert) Tj ET";
  PdfBuilder pdf;
  pdf.Set(1, "<< /Type /Catalog % the root\n /Pages 2 0 R >>");
  pdf.Set(2, "<< /Type /Pages %\n /Kids [3 0 R] % one page\n /Count 1 >>");
  pdf.Set(3,
          "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] % A4 would be 595\n"
          "/Resources << /Font << /F1 4 0 R >> >> /Contents 5 0 R >>");
  pdf.Set(4, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
  pdf.Set(5, "<< /Length " + std::to_string(content.size()) + " >>\nstream\r" + content +
                 "\nendstream");
  pdf.root = 1;
  const std::string file = pdf.Build();
  EXPECT_NE(Convert(file).text.find("Kommentiert"), std::string::npos);
  EXPECT_EQ(Convert(file, false).text.find("Kommentiert"), std::string::npos);
}

TEST(ModernFiles, TabsAndFormFeedsBetweenTokens) {
  const std::string content = "BT\t/F1 12 Tf 72 700 Td (Mit Tabs) Tj ET";
  PdfBuilder pdf;
  pdf.Set(1, "<<\r\n\t/Pages 2 0 R\r\n\t/Type /Catalog\r\n>>");
  pdf.Set(2, "<<\t/Type\t/Pages /Kids [\t3 0 R ] /Count 1 >>");
  pdf.Set(3,
          "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792]\f/Resources << /Font << /F1 4 0 "
          "R >> >> /Contents 5 0 R >>");
  pdf.Set(4, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
  pdf.Set(5, "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content +
                 "\nendstream");
  pdf.root = 1;
  const std::string file = pdf.Build();
  EXPECT_NE(Convert(file).text.find("Mit Tabs"), std::string::npos);
  // The classic tokenizer takes a tab for part of a token: no catalog, no text.
  EXPECT_EQ(Convert(file, false).text.find("Mit Tabs"), std::string::npos);
}

TEST(ModernFiles, ContentStreamsWithoutOrWithAWrongLength) {
  const std::string content = "BT /F1 12 Tf 72 700 Td (Inhalt) Tj ET";
  for (const std::string& length : {std::string(""), std::string("/Length 5"),
                                    std::string("/Length 99999"), std::string("/Length 9 0 R")}) {
    PdfBuilder pdf;
    pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    pdf.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    pdf.Set(3,
            "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 4 0 "
            "R >> >> /Contents 5 0 R >>");
    pdf.Set(4, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    pdf.Set(5, "<< " + length + " >>\nstream\n" + content + "\nendstream");
    pdf.Set(9, "3");  // an indirect length, as wrong as the others
    pdf.root = 1;
    const Converted c = Convert(pdf.Build());
    EXPECT_NE(c.text.find("Inhalt"), std::string::npos) << length;
    EXPECT_FALSE(c.result.Invalid) << length;
  }
}

TEST(ModernFiles, InheritedResourcesAndBoxes) {
  PdfBuilder pdf;
  pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
  pdf.Set(2,
          "<< /Type /Pages /Kids [3 0 R] /Resources << /Font << /F1 10 0 R >> >> "
          "/MediaBox 11 0 R >>");
  pdf.Set(3, "<< /Type /Pages /Parent 2 0 R /Kids [4 0 R] /CropBox [0 0 300 400] >>");
  pdf.Set(4, "<< /Type /Page /Parent 3 0 R /Contents 5 0 R >>");
  pdf.Set(5, "<< /Length 42 >>\nstream\nBT /F1 12 Tf 72 300 Td (\\212berall) Tj ET\nendstream");
  pdf.Set(10, "<< /Type /Font /Encoding << /BaseEncoding /MacRomanEncoding >> >>");
  pdf.Set(11, "[0 0 612 792]");
  pdf.root = 1;
  const std::string file = pdf.Build();
  RecordingHost host;
  TDocumentState state;
  state.MeasureFont = testing::MakeFakeFont(96);
  ConvertBuffer(state, host, file);
  ASSERT_EQ(state.PageSizes.Count(), 1);
  EXPECT_EQ(state.PageSizes[0].Width, 300);  // the crop box, inherited from the node
  EXPECT_EQ(state.PageSizes[0].Height, 400);
  EXPECT_NE(DocumentToPlainText(state.Memo1)
                .find("\xC3\xA4"
                      "berall"),
            std::string::npos);
  EXPECT_TRUE(Has(host.status_lines, "1 Schriftarten gefunden..."));

  const Converted strict = Convert(file, false);  // nothing is inherited
  EXPECT_TRUE(Has(strict.status, "0 Schriftarten gefunden..."));
}

// How a stream of the hybrid file is stored: its filter entries and its encoder.
struct StreamCoding {
  std::string entries;  // "/Filter ... /DecodeParms ..."
  std::function<std::string(const std::string&)> encode;
};

std::string Stored(const std::string& dict, const StreamCoding& coding, const std::string& data) {
  const std::string bytes = coding.encode ? coding.encode(data) : data;
  return "<< " + dict + " " + coding.entries + " /Length " + std::to_string(bytes.size()) +
         " >>\nstream\n" + bytes + "\nendstream";
}

const char* const kReadFont = "\xC3\xA4ybrid";  // "Hybrid" through the compressed font

// A classic table whose trailer names a cross-reference stream for the compressed objects.
std::string HybridFile(const StreamCoding& objects = {}, const StreamCoding& xref = {}) {
  PdfBuilder pdf;
  pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
  pdf.Set(2, "<< /Type /Pages /Kids [3 0 R] >>");
  pdf.Set(3, "<< /Type /Page /Resources << /Font << /F1 8 0 R >> >> /Contents 4 0 R >>");
  pdf.Set(4, "<< /Length 38 >>\nstream\nBT /F1 12 Tf 72 700 Td (Hybrid) Tj ET\nendstream");
  // The compressed font shows its "H" as "ä": the text tells whether it was read.
  const std::string font =
      "<< /Type /Font /Encoding << /BaseEncoding /WinAnsiEncoding /Differences [72 /adieresis] "
      ">> >>";
  const std::string header = "8 0 ";
  pdf.Set(5, Stored("/Type /ObjStm /N 1 /First " + std::to_string(header.size()), objects,
                    header + font));
  // Rows of /W [1 2 1]: object 8 is the first object of stream 5.
  const std::string rows = std::string("\x02\x00\x05\x00", 4);
  pdf.Set(6, Stored("/Type /XRef /Size 9 /W [1 2 1] /Index [8 1]", xref, rows));
  pdf.root = 1;
  pdf.Build();
  pdf.trailer_extra = "/XRefStm " + std::to_string(pdf.OffsetOf(6));
  return pdf.Build();
}

TEST(ModernFiles, HybridCrossReference) {
  const Converted modern = Convert(HybridFile());
  EXPECT_FALSE(modern.result.Invalid);
  EXPECT_NE(modern.text.find(kReadFont), std::string::npos);
  // The classic reader reads the table alone: the font object is not in it.
  const Converted strict = Convert(HybridFile(), false);
  EXPECT_NE(strict.text.find("Hybrid"), std::string::npos);
  EXPECT_TRUE(strict.result.Invalid);
}

TEST(ModernFiles, ObjectAndCrossReferenceStreamsDecodeEveryGenericFilter) {
  using namespace testing;
  const struct {
    const char* name;
    StreamCoding objects;
    StreamCoding xref;
  } cases[] = {
      {"ASCIIHex over Flate; Flate with PNG rows",
       {"/Filter [/ASCIIHexDecode /FlateDecode]",
        [](const std::string& d) { return EncodeASCIIHex(Deflate(d)); }},
       {"/Filter /FlateDecode /DecodeParms << /Predictor 12 /Columns 4 >>",
        [](const std::string& d) { return Deflate(EncodePng(d, 4, 1)); }}},
      {"RunLength; LZW without early change",
       {"/Filter /RunLengthDecode", [](const std::string& d) { return EncodeRunLength(d); }},
       {"/Filter /LZWDecode /DecodeParms << /EarlyChange 0 >>",
        [](const std::string& d) { return EncodeLzw(d, false); }}},
  };
  for (const auto& c : cases) {
    const Converted modern = Convert(HybridFile(c.objects, c.xref));
    EXPECT_FALSE(modern.result.Invalid) << c.name;
    EXPECT_NE(modern.text.find(kReadFont), std::string::npos) << c.name;
  }
  // A filter the reader does not know leaves the objects unread.
  const Converted unknown = Convert(HybridFile({"/Filter /JBIG2Decode", nullptr}));
  EXPECT_EQ(unknown.text.find(kReadFont), std::string::npos);
  EXPECT_NE(unknown.text.find("Hybrid"), std::string::npos);
}

TEST(ModernFiles, DamagedFilesAreRepaired) {
  const std::string classic = ReadFixture("text/ps2pdf-columns.pdf");
  const std::string expected = Convert(classic).text;
  const struct {
    const char* name;
    std::string file;
    bool same_text;
  } cases[] = {
      {"last 10 % missing", classic.substr(0, classic.size() * 9 / 10), true},
      {"offsets shifted by 7", "garbage" + classic, true},
      {"20 KB of garbage appended", classic + std::string(20 * 1024, 'x'), true},
      {"last 50 % missing", classic.substr(0, classic.size() / 2), false},
      {"last 90 % missing", classic.substr(0, classic.size() / 10), false},
  };
  for (const auto& c : cases) {
    const Converted repaired = Convert(c.file);
    if (c.same_text) {
      EXPECT_EQ(repaired.text, expected) << c.name;
    }
    EXPECT_TRUE(repaired.messages.empty() || !c.same_text) << c.name;
    const Converted strict = Convert(c.file, false);
    if (std::string(c.name) != "20 KB of garbage appended") {
      EXPECT_TRUE(strict.result.Invalid) << c.name;  // the classic reader gives up
    }
  }
  const Converted cut = Convert(classic.substr(0, classic.size() * 9 / 10));
  EXPECT_TRUE(Has(cut.status, kRepaired));
  EXPECT_FALSE(cut.result.Invalid);
  // Something else renamed to .pdf: nothing to repair, only the one message.
  for (const std::string& other :
       {std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
        std::string("Lieber Hans,\nanbei die Rechnung.\n"), std::string()}) {
    const Converted not_pdf = Convert(other);
    EXPECT_TRUE(not_pdf.result.Invalid);
    EXPECT_FALSE(Has(not_pdf.status, kRepaired));
    EXPECT_EQ(not_pdf.MessageTexts(),
              std::vector<std::string>{"Dies ist keine gültige PDF-Datei."});
  }
}

TEST(ModernFiles, HostileStreamsStayBounded) {
  const struct {
    const char* name;
    std::string dict;
    std::string rows;
  } cases[] = {
      {"W of 9 bytes", "/W [9 9 9] /Size 3", std::string(54, '\x01')},
      {"overlapping Index", "/W [1 2 1] /Index [0 3 1 3 0 2000000000] /Size 3",
       std::string(16, '\x01')},
      {"huge Size", "/W [1 4 1] /Size 2000000000", std::string(60, '\x01')},
  };
  for (const auto& c : cases) {
    PdfBuilder pdf;
    pdf.Set(1, "<< /Type /XRef " + c.dict + " /Length " + std::to_string(c.rows.size()) +
                   " >>\nstream\n" + c.rows + "\nendstream");
    std::string file = pdf.Build();
    file = file.substr(0, file.find("xref\n")) + "startxref\n" + std::to_string(pdf.OffsetOf(1)) +
           "\n%%EOF\n";
    TDocReader reader(file);
    reader.SetRules(TReadingRules::Modern());
    ReadXrefAndTrailer(reader);
    EXPECT_LT(reader.XrefCount(), 100000) << c.name;
  }
  // An object stream that claims 2 000 000 000 objects.
  PdfBuilder pdf;
  pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
  pdf.Set(2, "<< /Type /Pages /Kids [] >>");
  pdf.Set(3, "<< /Type /ObjStm /N 2000000000 /First 4 /Length 10 >>\nstream\n9 0 (abc)\nendstream");
  pdf.root = 1;
  TDocReader reader(pdf.Build());
  reader.SetRules(TReadingRules::Modern());
  ReadXrefAndTrailer(reader);
  reader.Compressed.push_back({1, 3, 0});
  ExpandObjectStreams(reader);
  EXPECT_LT(reader.Size(), 10000);
}

}  // namespace
}  // namespace paginor
