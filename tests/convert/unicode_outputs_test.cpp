// Every character of the page through the four outputs, and the pictures inside the RTF.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include <unistd.h>

#include "convert/conversion.h"
#include "convert/rtf_pictures.h"
#include "images/readers.h"
#include "output/html_writer.h"
#include "output/rtf_reader.h"
#include "output/rtf_writer.h"
#include "output/text_writer.h"
#include "output/utf8.h"
#include "support/fake_font.h"
#include "support/pdf_builder.h"
#include "support/read_structure.h"
#include "support/recording_host.h"

namespace paginor {
namespace {

// Polish, Greek, Cyrillic, mathematics, CJK and a letter beyond the Basic Multilingual Plane.
const std::u32string kLine = U"Łódź Ωμέγα Жук ≤∑ 中文 𝐀";

std::string Hex4(uint32_t value) {
  char digits[5];
  std::snprintf(digits, sizeof digits, "%04X", value & 0xFFFF);
  return digits;
}

std::string Utf16Hex(char32_t c) {
  if (c < 0x10000) return Hex4(c);
  return Hex4(0xD800 + ((c - 0x10000) >> 10)) + Hex4(0xDC00 + ((c - 0x10000) & 0x3FF));
}

// One page showing text in a Type0 font whose /ToUnicode map names each character: CID k+1
// for the k-th character.
std::string UnicodePage(const std::u32string& text) {
  std::string chars;
  std::string shown;
  for (std::size_t k = 0; k < text.size(); ++k) {
    const auto cid = static_cast<uint32_t>(k + 1);
    chars += "<" + Hex4(cid) + "> <" + Utf16Hex(text[k]) + ">\n";
    shown += Hex4(cid);
  }
  const std::string cmap = "1 begincodespacerange <0000> <FFFF> endcodespacerange\n" +
                           std::to_string(text.size()) + " beginbfchar\n" + chars + "endbfchar";
  const std::string content = "BT /F1 12 Tf 72 700 Td <" + shown + "> Tj ET";
  testing::PdfBuilder pdf;
  pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
  pdf.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  pdf.Set(3,
          "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 4 0 "
          "R >> >> /Contents 5 0 R >>");
  pdf.Set(4,
          "<< /Type /Font /Subtype /Type0 /BaseFont /Any /Encoding /Identity-H "
          "/DescendantFonts [6 0 R] /ToUnicode 7 0 R >>");
  pdf.Set(5, "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content +
                 "\nendstream");
  pdf.Set(6, "<< /Type /Font /Subtype /CIDFontType2 /BaseFont /Any /DW 600 >>");
  pdf.Set(7, "<< /Length " + std::to_string(cmap.size()) + " >>\nstream\n" + cmap + "\nendstream");
  pdf.root = 1;
  return pdf.Build();
}

std::unique_ptr<TDocumentState> Convert(const std::string& file, bool modern = true,
                                        bool windows1252 = false) {
  auto state = std::make_unique<TDocumentState>();
  testing::RecordingHost host;
  host.options.ModernCheck = modern;
  host.options.Windows1252Text = windows1252;
  host.options.VertLayCheck = false;
  state->MeasureFont = testing::MakeFakeFont();
  ConvertBuffer(*state, host, file);
  return state;
}

// The text a browser shows for the page: Python's HTML parser reads the file as Windows-1252,
// the code page it is written in, and resolves its character references.
std::optional<std::string> BrowserText(const std::string& page) {
  const auto dir = std::filesystem::temp_directory_path();
  const std::string in = (dir / "paginor-unicode-page.htm").string();
  const std::string out = (dir / "paginor-unicode-page.txt").string();
  std::ofstream(in, std::ios::binary) << page;
  const std::string command =
      "python3 -c \"import html.parser,sys\n"
      "class P(html.parser.HTMLParser):\n"
      "  text=''\n"
      "  def handle_data(self, d): self.text += d\n"
      "p=P(convert_charrefs=True)\n"
      "p.feed(open(sys.argv[1], encoding='cp1252').read())\n"
      "open(sys.argv[2], 'w', encoding='utf-8').write(p.text.replace(chr(160), ' '))\" " +
      in + " " + out + " 2>/dev/null";
  if (std::system(command.c_str()) != 0) return std::nullopt;
  std::ifstream text(out, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(text)), std::istreambuf_iterator<char>());
}

TEST(UnicodeOutputs, EveryCharacterReachesEveryOutput) {
  const std::string line = ToUtf8(kLine);
  auto state = Convert(UnicodePage(kLine));
  TRichDocument& doc = state->Memo1;
  EXPECT_EQ(DocumentToPlainText(doc), line + "\n");

  const std::string rtf = DocumentToRTF(doc);
  EXPECT_NE(rtf.find("\\u321?"), std::string::npos);              // Ł
  EXPECT_NE(rtf.find("\\u-10187?\\u-9216?"), std::string::npos);  // 𝐀 as a surrogate pair
  const testing::RTFContent read = testing::ReadRTF(rtf);
  ASSERT_EQ(read.error, "");
  ASSERT_EQ(read.paragraphs.size(), 1u);
  EXPECT_EQ(read.paragraphs[0].text, line);

  const std::string page = HTMLFileContent(RTFToHTML(doc));
  EXPECT_NE(page.find("&#321;"), std::string::npos);
  EXPECT_NE(page.find("\xF3"), std::string::npos);  // ó stays a Windows-1252 byte
  const auto shown = BrowserText(page);
  if (!shown) GTEST_SKIP() << "no python3 to read the page as a browser does";
  EXPECT_NE(shown->find(line), std::string::npos) << *shown;
}

TEST(UnicodeOutputs, Windows1252TextKeepsTheOldCharacterSet) {
  // Characters the code page lacks become "?", mathematical letters their plain letter.
  EXPECT_EQ(DocumentToPlainText(Convert(UnicodePage(kLine), true, true)->Memo1),
            "?ód? ????? ??? ?? ?? A\n");
}

// The picture groups of an RTF file.
std::vector<testing::RTFPicture> PicturesOf(TDocumentState& state) {
  const testing::RTFContent read =
      testing::ReadRTF(DocumentToRTF(state.Memo1, RtfPicturesOf(state.Images)));
  EXPECT_EQ(read.error, "");
  return read.pictures;
}

TEST(UnicodeOutputs, RichTextEmbedsThePicturesAtTheirSizeOnThePage) {
  auto jpeg = Convert(testing::ReadFixture("images/img2pdf-jpeg.pdf"));
  const std::vector<testing::RTFPicture> jpegs = PicturesOf(*jpeg);
  ASSERT_EQ(static_cast<int>(jpegs.size()), jpeg->Images.Count());
  ASSERT_EQ(jpeg->PageSizes.Count(), jpeg->Images.Count());  // one picture on each page
  for (std::size_t k = 0; k < jpegs.size(); ++k) {
    const TImageRec& image = jpeg->Images[static_cast<int>(k)];
    EXPECT_EQ(jpegs[k].kind, "jpegblip");
    // The JPEG file as stored, which our decoder reads at the size the group gives.
    EXPECT_EQ(jpegs[k].bytes, image.JpegBytes());
    const auto frame = ReadJpegFrame(jpegs[k].bytes);
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(frame->Width, jpegs[k].picw);
    EXPECT_EQ(frame->Height, jpegs[k].pich);
    // img2pdf fills the page with the picture: its size on the page is the page's, in twips.
    const TPageSize& page = jpeg->PageSizes[static_cast<int>(k)];
    EXPECT_NEAR(jpegs[k].picwgoal, page.Width * 20, 1);
    EXPECT_NEAR(jpegs[k].pichgoal, page.Height * 20, 1);
  }

  auto png = Convert(testing::ReadFixture("images/img2pdf-png.pdf"));
  const std::vector<testing::RTFPicture> pngs = PicturesOf(*png);
  ASSERT_EQ(static_cast<int>(pngs.size()), png->Images.Count());
  ASSERT_FALSE(pngs.empty());
  for (std::size_t k = 0; k < pngs.size(); ++k) {
    const testing::RTFPicture& picture = pngs[k];
    EXPECT_EQ(picture.kind, "pngblip");
    ASSERT_GT(picture.bytes.size(), 24u);
    EXPECT_EQ(picture.bytes.substr(0, 8), "\x89PNG\r\n\x1A\n");
    const auto big_endian = [&](std::size_t at) {
      uint32_t v = 0;
      for (std::size_t i = 0; i < 4; ++i)
        v = v << 8 | static_cast<uint8_t>(picture.bytes[at + i]);
      return static_cast<int>(v);
    };
    EXPECT_EQ(big_endian(16), picture.picw);  // the IHDR's width and height
    EXPECT_EQ(big_endian(20), picture.pich);
    EXPECT_EQ(picture.picw, png->Images[static_cast<int>(k)].Bitmap.Width());
  }
}

TEST(UnicodeOutputs, LibreOfficeShowsTheEmbeddedPictures) {
  if (std::system("command -v soffice >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "soffice (LibreOffice) is not on PATH";
  }
  const auto dir = std::filesystem::temp_directory_path() /
                   ("paginor-rtf-pictures-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  for (const char* fixture : {"images/img2pdf-jpeg.pdf", "images/img2pdf-png.pdf"}) {
    auto state = Convert(testing::ReadFixture(fixture));
    std::ofstream(dir / "pictures.rtf", std::ios::binary)
        << DocumentToRTF(state->Memo1, RtfPicturesOf(state->Images));
    // A profile of its own, so that a running LibreOffice of the user does not take the job.
    const std::string command = "soffice -env:UserInstallation=file://" +
                                (dir / "profile").string() + " --headless --convert-to html " +
                                "--outdir '" + dir.string() + "' '" +
                                (dir / "pictures.rtf").string() + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::ifstream in(dir / "pictures.html", std::ios::binary);
    const std::string html((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    int images = 0;
    for (std::size_t at = html.find("<img"); at != std::string::npos;
         at = html.find("<img", at + 1))
      ++images;
    EXPECT_EQ(images, state->Images.Count()) << fixture;
    EXPECT_EQ(html.find("bild0"), std::string::npos) << fixture;  // no link left as text
  }
  std::filesystem::remove_all(dir);
}

TEST(UnicodeOutputs, TheClassicReaderKeepsTheLinks) {
  auto state = Convert(testing::ReadFixture("images/img2pdf-jpeg.pdf"), false);
  const testing::RTFContent read =
      testing::ReadRTF(DocumentToRTF(state->Memo1, RtfPicturesOf(state->Images)));
  EXPECT_TRUE(read.pictures.empty());
  EXPECT_NE(state->Memo1.Text().find("<img src=\"bild001.jpg\" border=0>"), std::string::npos);
}

}  // namespace
}  // namespace paginor
