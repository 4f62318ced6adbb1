// CID-keyed fonts of the modern reader: encoding CMaps, Unicode CMaps and the characters of an
// embedded TrueType program.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "convert/conversion.h"
#include "output/text_writer.h"
#include "support/fake_font.h"
#include "support/pdf_builder.h"
#include "support/read_structure.h"
#include "support/recording_host.h"
#include "text/cid_collections.h"
#include "text/cmap.h"
#include "text/font_program.h"

namespace paginor {
namespace {

std::string U16(uint32_t v) {
  return {static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)};
}

TEST(FontPrograms, GlyphsReadBackwardsThroughTheUnicodeMap) {
  const std::string program = testing::ReadFixture("text/cid.ttf");
  ASSERT_FALSE(program.empty());
  const auto glyphs = ProgramGlyphCharacters(program);
  EXPECT_EQ(glyphs,
            (std::unordered_map<uint32_t, char32_t>{{3, U'A'}, {4, U'B'}, {5, U'C'}, {9, U'x'}}));
  for (std::size_t cut = 0; cut < program.size(); cut += 7)
    (void)ProgramGlyphCharacters(program.substr(0, cut));  // damage ends quietly
  EXPECT_TRUE(ProgramGlyphCharacters("not a font").empty());
}

TEST(CodeToCid, CodeLengthAndMappings) {
  const TCodeToCid one = TCodeToCid::Parse(
      "1 begincodespacerange <00> <FF> endcodespacerange\n"
      "1 begincidrange <20> <7E> 1 endcidrange 1 begincidchar <80> 500 endcidchar");
  EXPECT_EQ(one.CodeBytes(), 1);
  EXPECT_EQ(one.Cid(0x41), 34u);
  EXPECT_EQ(one.Cid(0x80), 500u);
  EXPECT_EQ(one.Cid(0x10), 0u);  // unmapped: the missing glyph
  const TCodeToCid two = TCodeToCid::Parse("1 begincodespacerange <0000> <FFFF> endcodespacerange");
  EXPECT_EQ(two.CodeBytes(), 2);
  EXPECT_EQ(two.Cid(0x1234), 0x1234u);  // no mappings: the identity
}

std::string Stream(const std::string& dict, const std::string& data) {
  return "<< " + dict + " /Length " + std::to_string(data.size()) + " >>\nstream\n" + data +
         "\nendstream";
}

std::string Convert(const std::string& font, const std::string& content,
                    const std::map<int, std::string>& more) {
  testing::PdfBuilder pdf;
  for (const auto& [num, body] : more)
    pdf.Set(num, body);
  pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
  pdf.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  pdf.Set(3,
          "<< /Type /Page /MediaBox [0 0 600 800] /Resources << /Font << /F1 4 0 R >> >> "
          "/Contents 5 0 R >>");
  pdf.Set(4, font);
  pdf.Set(5, Stream("", content));
  pdf.root = 1;
  testing::RecordingHost host;
  host.options.VertLayCheck = false;
  TDocumentState state;
  state.MeasureFont = testing::MakeFakeFont();
  ConvertBuffer(state, host, pdf.Build());
  return DocumentToPlainText(state.Memo1);
}

TEST(CidFonts, EncodingsAndCharactersWithoutToUnicode) {
  const std::map<int, std::string> descendant = {
      {6, "<< /Type /Font /Subtype /CIDFontType2 /FontDescriptor 7 0 R /DW 500 >>"},
      {7, "<< /Type /FontDescriptor /FontFile2 8 0 R >>"},
      {8, Stream("", testing::ReadFixture("text/cid.ttf"))}};
  // A Unicode CMap: the codes are the characters.
  EXPECT_EQ(Convert("<< /Type /Font /Subtype /Type0 /Encoding /UniGB-UCS2-H /DescendantFonts "
                    "[6 0 R] >>",
                    "BT /F1 10 Tf 10 700 Td <004100E4> Tj ET", descendant),
            "A\xC3\xA4\n");
  // Identity: each code is a glyph of the program, whose map names its character.
  EXPECT_EQ(Convert("<< /Type /Font /Subtype /Type0 /Encoding /Identity-H /DescendantFonts "
                    "[6 0 R] >>",
                    "BT /F1 10 Tf 10 700 Td <0003000400050009> Tj ET", descendant),
            "ABCx\n");
  // The descendant may stand in the array itself.
  EXPECT_EQ(Convert("<< /Type /Font /Subtype /Type0 /Encoding /Identity-H /DescendantFonts "
                    "[<< /Type /Font /Subtype /CIDFontType2 /FontDescriptor 7 0 R >>] >>",
                    "BT /F1 10 Tf 10 700 Td <0003000400050009> Tj ET", descendant),
            "ABCx\n");
  // An embedded one-byte CMap: "ab" selects CIDs 3 and 4; with CIDToGIDMap the glyphs 5 and 9.
  std::map<int, std::string> mapped = descendant;
  mapped[6] = "<< /Type /Font /Subtype /CIDFontType2 /FontDescriptor 7 0 R /CIDToGIDMap 10 0 R >>";
  mapped[9] = Stream("/Type /CMap",
                     "1 begincodespacerange <00> <FF> endcodespacerange\n"
                     "1 begincidrange <61> <62> 3 endcidrange");
  mapped[10] = Stream("", U16(0) + U16(0) + U16(0) + U16(5) + U16(9));
  EXPECT_EQ(Convert("<< /Type /Font /Subtype /Type0 /Encoding 9 0 R /DescendantFonts [6 0 R] >>",
                    "BT /F1 10 Tf 10 700 Td (ab) Tj ET", mapped),
            "Cx\n");
}

TEST(CodeToCid, MixedCodeLengthsAndTheMapsTheyUse) {
  // Shift-JIS style: single bytes below 0x81, two bytes from 0x8140, four-byte codes beyond.
  const std::string parent =
      "3 begincodespacerange <00> <80> <8140> <9FFC> <A0A0A0A0> <A0FFFFFF> endcodespacerange\n"
      "1 begincidrange <20> <7E> 1 endcidrange\n"
      "1 begincidrange <8140> <817E> 633 endcidrange";
  int loads = 0;
  const auto load = [&](std::string_view name) -> std::optional<std::string> {
    ++loads;
    if (name == "Parent-H") return parent;
    if (name == "Loop-H") return std::string("/Loop-H usecmap");  // a cycle ends
    return std::nullopt;
  };
  const TCodeToCid child =
      TCodeToCid::Parse("/Parent-H usecmap\n1 begincidchar <8141> 9000 endcidchar", load);
  EXPECT_EQ(loads, 1);
  const std::string shown = "A\x81\x41\x81\x42\xA0\xA0\xA0\xA1\x81";
  std::vector<std::size_t> lengths;
  for (std::size_t i = 0; i < shown.size(); i += child.CodeLength(shown, i))
    lengths.push_back(child.CodeLength(shown, i));
  // The last byte starts a two-byte code cut short: it takes what is left.
  EXPECT_EQ(lengths, (std::vector<std::size_t>{1, 2, 2, 4, 1}));
  EXPECT_EQ(child.Cid(0x41), 34u);      // the parent's range
  EXPECT_EQ(child.Cid(0x8141), 9000u);  // its own mapping wins
  EXPECT_EQ(child.Cid(0x8142), 635u);
  EXPECT_NO_THROW(TCodeToCid::Parse("/Loop-H usecmap", load));
}

TEST(CidCollections, TablesAreReadSafely) {
  // Line n is CID n: a code point, nothing (0000), or a line that is not one.
  EXPECT_EQ(ParseCollectionTable("0000\n0041\n65e5\nzz\n1D400\nD800\n110000\n672C"),
            (TCollectionCharacters{0, U'A', U'日', 0, 0x1D400, 0, 0, U'本'}));
  // Names come from the file: none may reach outside the tables' folder.
  for (const char* name : {"", "../passwd", "Adobe/Japan1", "-x", "Adobe-Nothing"})
    EXPECT_EQ(CollectionCharacters(name), nullptr) << name;
}

TEST(CidFonts, TheCharacterCollectionNamesCidsLast) {
  const auto dir = std::filesystem::temp_directory_path() / "paginor-cid-collections";
  std::filesystem::create_directories(dir / "cidToUnicode");
  std::ofstream(dir / "cidToUnicode" / "Test-Japan1", std::ios::binary) << "0000\n65e5\n672c\n";
  SetCollectionDataDirectory(dir.string());
  const std::map<int, std::string> descendant = {
      {6,
       "<< /Type /Font /Subtype /CIDFontType0 /CIDSystemInfo << /Registry (Test) /Ordering "
       "(Japan1) /Supplement 7 >> /DW 1000 >>"}};
  const std::string font =
      "<< /Type /Font /Subtype /Type0 /Encoding /Identity-H /DescendantFonts [6 0 R] >>";
  // CID 3 lies beyond the table: a "?".
  EXPECT_EQ(Convert(font, "BT /F1 10 Tf 10 700 Td <000100020003> Tj ET", descendant), "日本?\n");
  // A /ToUnicode map comes first.
  std::map<int, std::string> with_map = descendant;
  with_map[9] = Stream("",
                       "1 begincodespacerange <0000> <FFFF> endcodespacerange\n"
                       "1 beginbfchar <0001> <0041> endbfchar");
  EXPECT_EQ(Convert("<< /Type /Font /Subtype /Type0 /Encoding /Identity-H /DescendantFonts [6 0 "
                    "R] /ToUnicode 9 0 R >>",
                    "BT /F1 10 Tf 10 700 Td <00010002> Tj ET", with_map),
            "A本\n");
  SetCollectionDataDirectory("/usr/share/poppler");
  std::filesystem::remove_all(dir);
}

TEST(CidFonts, PredefinedCMapsByTheirNameAndUnicodeOnesByRule) {
  const auto dir = std::filesystem::temp_directory_path() / "paginor-predefined-cmaps";
  std::filesystem::create_directories(dir / "cMap" / "Test-Japan1");
  std::filesystem::create_directories(dir / "cidToUnicode");
  std::ofstream(dir / "cMap" / "Test-Japan1" / "Test-RKSJ-H", std::ios::binary)
      << "2 begincodespacerange <00> <80> <8140> <9FFC> endcodespacerange\n"
         "1 begincidrange <41> <42> 1 endcidrange 1 begincidchar <8140> 3 endcidchar";
  std::ofstream(dir / "cMap" / "Test-Japan1" / "Test-RKSJ-V", std::ios::binary)
      << "/Test-RKSJ-H usecmap";
  std::ofstream(dir / "cidToUnicode" / "Test-Japan1", std::ios::binary)
      << "0000\n0041\n65e5\n672c\n";
  SetCollectionDataDirectory(dir.string());
  const std::map<int, std::string> descendant = {
      {6,
       "<< /Type /Font /Subtype /CIDFontType0 /CIDSystemInfo << /Registry (Test) /Ordering "
       "(Japan1) >> /DW 1000 >>"}};
  const auto font = [](const std::string& encoding) {
    return "<< /Type /Font /Subtype /Type0 /Encoding /" + encoding + " /DescendantFonts [6 0 R] >>";
  };
  // One- and two-byte codes of a predefined CMap, also through the one it uses.
  for (const char* name : {"Test-RKSJ-H", "Test-RKSJ-V"}) {
    EXPECT_EQ(Convert(font(name), "BT /F1 10 Tf 10 700 Td <4142814042> Tj ET", descendant),
              "A日本日\n")
        << name;
  }
  // The Unicode CMaps: the codes are the characters, in UTF-8, UTF-16 (a surrogate pair is one
  // code) and UTF-32.
  EXPECT_EQ(Convert(font("UniJIS-UTF8-H"), "BT /F1 10 Tf 10 700 Td <41C3A4E697A5F09D9080> Tj ET",
                    descendant),
            "Aä日𝐀\n");
  EXPECT_EQ(Convert(font("UniJIS-UTF16-H"), "BT /F1 10 Tf 10 700 Td <004165E5D835DC00> Tj ET",
                    descendant),
            "A日𝐀\n");
  EXPECT_EQ(Convert(font("UniJIS-UTF32-H"), "BT /F1 10 Tf 10 700 Td <000065E50001D400> Tj ET",
                    descendant),
            "日𝐀\n");
  SetCollectionDataDirectory("/usr/share/poppler");
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace paginor
