#include <gtest/gtest.h>

#include "convert/conversion.h"
#include "output/text_writer.h"
#include "support/fake_font.h"
#include "support/pdf_builder.h"
#include "support/read_structure.h"
#include "support/recording_host.h"
#include "text/cmap.h"
#include "text/font_program.h"
#include "text/unicode_text.h"

namespace paginor {
namespace {

using testing::PdfBuilder;
using testing::ReadFixture;
using testing::RecordingHost;

std::u32string Lookup(const TToUnicode& map, uint32_t code) {
  return map.Lookup(code).value_or(U"<none>");
}

TEST(ToUnicodeMap, CharsRangesArraysAndSurrogates) {
  const TToUnicode map = TToUnicode::Parse(
      "/CIDInit /ProcSet findresource begin 12 dict begin begincmap\n"
      "1 begincodespacerange <0000> <FFFF> endcodespacerange\n"
      "3 beginbfchar <0003> <0020> <0010> <00660069> <0011> <D835DC9C> endbfchar\n"
      "2 beginbfrange <0020> <0022> <0041>\n<0030> <0032> [<00E4> <00F6> <00FC>] endbfrange\n"
      "% a comment <0040> <0061>\n"
      "1 beginbfrange <0021> <0021> <0058> endbfrange\n"
      "endcmap CMapName currentdict /CMap defineresource pop end end");
  EXPECT_EQ(map.CodeBytes(), 2);
  EXPECT_EQ(Lookup(map, 3), U" ");
  EXPECT_EQ(Lookup(map, 0x10), U"fi");
  EXPECT_EQ(Lookup(map, 0x11), std::u32string(1, 0x1D49C));  // a surrogate pair
  EXPECT_EQ(Lookup(map, 0x20), U"A");
  EXPECT_EQ(Lookup(map, 0x22), U"C");
  EXPECT_EQ(Lookup(map, 0x21), U"X");  // the later block wins
  EXPECT_EQ(Lookup(map, 0x31), U"ö");
  EXPECT_EQ(Lookup(map, 0x40), U"<none>");
  EXPECT_EQ(TToUnicode::Parse("begincodespacerange <00> <FF> endcodespacerange").CodeBytes(), 1);
}

TEST(ToUnicodeMap, MalformedMapsEndQuietly) {
  for (const char* text :
       {"beginbfchar <01>", "beginbfrange <0001> <FFFF>", "beginbfrange <FFFF> <0000> <0041>",
        "beginbfrange <00> <FF> [<0041>", "<<<<<<", "beginbfchar <01> <D800> endbfchar",
        "beginbfrange <00000000> <FFFFFFFF> <0041> endbfrange"}) {
    const TToUnicode map = TToUnicode::Parse(text);
    (void)map.Lookup(0x7FFFFFFF);
    EXPECT_LE(map.CodeBytes(), 2) << text;
  }
  const TToUnicode huge = TToUnicode::Parse("beginbfrange <00000000> <FFFFFFFF> <0041> endbfrange");
  EXPECT_EQ(Lookup(huge, 1), U"B");  // a range is not expanded, only looked into
}

TEST(UnicodeToWinAnsi, LigaturesSpacesAndQuestionMarks) {
  int unmapped = 0;
  EXPECT_EQ(UnicodeToWinAnsi(U"\uFB01\uFB02\uFB00\uFB03\uFB04", unmapped), "fiflffffiffl");
  EXPECT_EQ(UnicodeToWinAnsi(U"a\u2009b\u00A0c\u202Fd", unmapped), "a b c d");
  // Mathematical letters and digits and full-width forms are their plain letters.
  EXPECT_EQ(
      UnicodeToWinAnsi(U"\U0001D465\U0001D44C\U0001D6A3\U0001D7CF\U0001D7FF\uFF21\uFF5E", unmapped),
      "xYz19A~");
  EXPECT_EQ(UnicodeToWinAnsi(U"\u20AC\u201E\u201C\u00DF\u00AD", unmapped), "\x80\x84\x93\xDF\xAD");
  EXPECT_EQ(unmapped, 0);
  EXPECT_EQ(UnicodeToWinAnsi(U"\u03B1\u4E2D", unmapped), "??");
  EXPECT_EQ(unmapped, 2);
  EXPECT_EQ(GlyphNameToUnicode("uni00E4"), U"ä");
  EXPECT_EQ(GlyphNameToUnicode("uni00660069"), U"fi");
  EXPECT_EQ(GlyphNameToUnicode("u1F600"), std::u32string(1, 0x1F600));
  EXPECT_EQ(GlyphNameToUnicode("ffl"), U"ffl");
  for (const char* bad : {"uniD800", "uni00E", "uXYZW", "u110000", "adieresis"}) {
    EXPECT_FALSE(GlyphNameToUnicode(bad).has_value()) << bad;
  }
}

struct Converted {
  std::string text;
  std::vector<std::string> status;
  TDocumentState state;
};

std::unique_ptr<Converted> Convert(const std::string& file, bool modern = true,
                                   bool windows1252 = false) {
  auto c = std::make_unique<Converted>();
  RecordingHost host;
  host.options.ModernCheck = modern;
  host.options.Windows1252Text = windows1252;
  host.options.VertLayCheck = false;
  c->state.MeasureFont = testing::MakeFakeFont();
  ConvertBuffer(c->state, host, file);
  c->text = DocumentToPlainText(c->state.Memo1);
  c->status = host.status_lines;
  return c;
}

// One page showing content with font /F1, whose dictionary (and further objects) are given.
std::string FontPage(const std::string& font, const std::string& content,
                     const std::map<int, std::string>& more = {}) {
  PdfBuilder pdf;
  for (const auto& [num, body] : more)
    pdf.Set(num, body);
  pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
  pdf.Set(2, "<< /Type /Pages /Kids [3 0 R] >>");
  pdf.Set(3,
          "<< /Type /Page /MediaBox [0 0 600 800] /Resources << /Font << /F1 4 0 R >> >> "
          "/Contents 5 0 R >>");
  pdf.Set(4, font);
  pdf.Set(5, "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content +
                 "\nendstream");
  pdf.root = 1;
  return pdf.Build();
}

std::string CMapStream(const std::string& body) {
  return "<< /Length " + std::to_string(body.size()) + " >>\nstream\n" + body + "\nendstream";
}

TEST(UnicodeFonts, Type0WithToUnicodeAndSharedWidths) {
  const std::string file = FontPage(
      "<< /Type /Font /Subtype /Type0 /Encoding /Identity-H /DescendantFonts [6 0 R] "
      "/ToUnicode 7 0 R >>",
      "BT /F1 10 Tf 0 700 Td <0001000200030004> Tj ET",
      {{6, "<< /Type /Font /Subtype /CIDFontType2 /DW 500 /W [1 [600] 3 4 1000] >>"},
       {7, CMapStream("1 begincodespacerange <0000> <FFFF> endcodespacerange\n"
                      "4 beginbfchar <0001> <0047> <0002> <0072> <0003> <FB01> <0004> <03B1> "
                      "endbfchar")}});
  const auto c = Convert(file);
  EXPECT_EQ(c->text, "Grfiα\n");
  ASSERT_EQ(c->state.TextItems.Count(), 1);
  const TTextItem& run = c->state.TextItems[0];
  // /W gives 600 for CID 1, /DW 500 for CID 2, 1000 for CIDs 3 and 4: fi shares its width.
  EXPECT_EQ(run.CharWidths, (std::vector<double>{6, 5, 5, 5, 10}));
  EXPECT_TRUE(std::none_of(c->status.begin(), c->status.end(), [](const std::string& line) {
    return line.find("ohne Entsprechung") != std::string::npos;
  }));
  // Held to Windows-1252, the alpha is a "?" and counted.
  const auto folded = Convert(file, true, true);
  EXPECT_EQ(folded->text, "Grfi?\n");
  EXPECT_NE(std::find(folded->status.begin(), folded->status.end(),
                      "1 Zeichen ohne Entsprechung im Zeichensatz"),
            folded->status.end());
}

TEST(UnicodeFonts, Type0WithoutToUnicodeShowsQuestionMarks) {
  const auto c = Convert(FontPage("<< /Type /Font /Subtype /Type0 /Encoding /Identity-H >>",
                                  "BT /F1 10 Tf 0 700 Td <00410042> Tj ET"));
  EXPECT_EQ(c->text, "??\n");
}

TEST(UnicodeFonts, SimpleFontsThroughToUnicodeAndGlyphNames) {
  const std::string file = FontPage(
      "<< /Type /Font /Subtype /Type1 /Encoding << /Differences [1 /fi /uni00E4 /odieresis] >> "
      "/ToUnicode 7 0 R >>",
      "BT /F1 10 Tf 0 700 Td (\\001\\002\\003B) Tj ET",
      {{7, CMapStream("1 begincodespacerange <00> <FF> endcodespacerange\n"
                      "1 beginbfchar <42> <00DF> endbfchar")}});
  EXPECT_EQ(Convert(file)->text, "fi\xC3\xA4\xC3\xB6\xC3\x9F\n");
  // The classic reader: neither the inline /Differences nor the map.
  EXPECT_NE(Convert(file, false)->text, "fi\xC3\xA4\xC3\xB6\xC3\x9F\n");
}

TEST(UnicodeFonts, GlyphNamesWithSuffixesAndLigatureParts) {
  const std::string file = FontPage(
      "<< /Type /Font /Subtype /Type1 /Encoding << /BaseEncoding /WinAnsiEncoding /Differences "
      "[1 /one.oldstyle /f_f_i /a.sc /uni00E4.alt /nosuchglyph] >> >>",
      "BT /F1 10 Tf 0 700 Td (\001\002\003\004\005) Tj ET");
  // An unknown name keeps the code of the base encoding; 5 has no character there: it is left
  // out and its advance stays a gap.
  EXPECT_EQ(Convert(file)->text, "1ffia\xC3\xA4 \n");
}

TEST(UnicodeFonts, GlyphNamesOfTheWholeGlyphList) {
  // Polish, Cyrillic and Greek names, a name for two characters, and list names inside a
  // ligature name with a suffix.
  const std::string file = FontPage(
      "<< /Type /Font /Subtype /Type1 /Encoding << /Differences "
      "[1 /lslash /afii10017 /Omegagreek /dalethatafpatah /f_lslash.sc] >> >>",
      "BT /F1 10 Tf 0 700 Td (\001\002\003\004\005) Tj ET");
  EXPECT_EQ(Convert(file)->text, "łАΩ\u05D3\u05B2fł\n");
  // Held to Windows-1252 they are what the code page lacks.
  EXPECT_EQ(Convert(file, true, true)->text, "?????f?\n");
}

TEST(UnicodeFonts, TheEncodingBuiltIntoACffOrType1Program) {
  const std::string cff = ReadFixture("text/custom-encoding.cff");
  ASSERT_FALSE(cff.empty());
  EXPECT_EQ(ProgramEncodingNames(cff),
            (std::map<int, std::string>{{1, "fi"}, {2, "ffi"}, {3, "germandbls"}}));
  // A Type 1 program's own encoding, the same way.
  EXPECT_EQ(ProgramEncodingNames(ReadFixture("text/custom-encoding.t1")),
            (std::map<int, std::string>{{11, "ff"}, {12, "fi"}, {65, "A"}, {66, "lslash"}}));
  // What FreeType cannot read gives nothing: cut short, or no font at all.
  EXPECT_TRUE(ProgramEncodingNames(cff.substr(0, 40)).empty());
  EXPECT_TRUE(ProgramEncodingNames("no font program").empty());

  // A Type 1 font without /Encoding whose FontFile3 explains its codes.
  const std::string file =
      FontPage("<< /Type /Font /Subtype /Type1 /BaseFont /PaginorTest /FontDescriptor 6 0 R >>",
               "BT /F1 10 Tf 0 700 Td (E\002cient \001rst Stra\003e) Tj ET",
               {{6, "<< /Type /FontDescriptor /FontName /PaginorTest /Flags 4 /FontFile3 7 0 R >>"},
                {7, "<< /Subtype /Type1C /Length " + std::to_string(cff.size()) + " >>\nstream\n" +
                        cff + "\nendstream"}});
  EXPECT_EQ(Convert(file)->text, "Efficient first Straße\n");
}

TEST(UnicodeFonts, ASymbolicTrueTypeProgramNamesItsCodes) {
  const std::string ttf = ReadFixture("text/symbolic.ttf");
  ASSERT_FALSE(ttf.empty());
  // Codes reach the glyphs through the (3,0) map at F0xx; the 'post' table names them.
  EXPECT_EQ(ProgramEncodingNames(ttf),
            (std::map<int, std::string>{{0x21, "bullet"}, {0x22, "arrowright"}, {0x23, "a"}}));
  const auto font = [&ttf](int flags) {
    return FontPage(
        "<< /Type /Font /Subtype /TrueType /BaseFont /PaginorGlyphs /FirstChar 33 "
        "/LastChar 35 /Widths [500 500 500] /FontDescriptor 6 0 R >>",
        "BT /F1 10 Tf 0 700 Td (!\"#) Tj ET",
        {{6, "<< /Type /FontDescriptor /FontName /PaginorGlyphs /Flags " + std::to_string(flags) +
                 " /FontFile2 7 0 R >>"},
         {7, "<< /Length " + std::to_string(ttf.size()) + " >>\nstream\n" + ttf + "\nendstream"}});
  };
  EXPECT_EQ(Convert(font(4))->text, "•→a\n");
  // Not symbolic: the codes are WinAnsi's.
  EXPECT_EQ(Convert(font(32))->text, "!\"#\n");
}

TEST(UnicodeFonts, SymbolAndDingbatsReadThroughTheirOwnEncoding) {
  // Neither gives /Widths: their own widths place the characters.
  const auto symbol = Convert(FontPage("<< /Type /Font /Subtype /Type1 /BaseFont /Symbol >>",
                                       "BT /F1 10 Tf 0 700 Td (abg) Tj ET"));
  EXPECT_EQ(symbol->text, "αβγ\n");
  ASSERT_EQ(symbol->state.TextItems.Count(), 1);
  const std::vector<double> widths = {6.31, 5.49, 4.11};  // alpha, beta, gamma at 10 points
  ASSERT_EQ(symbol->state.TextItems[0].CharWidths.size(), widths.size());
  for (std::size_t i = 0; i < widths.size(); ++i)
    EXPECT_NEAR(symbol->state.TextItems[0].CharWidths[i], widths[i], 1e-9) << i;
  EXPECT_EQ(Convert(FontPage("<< /Type /Font /Subtype /Type1 /BaseFont /ZapfDingbats >>",
                             "BT /F1 10 Tf 0 700 Td (34) Tj ET"))
                ->text,
            "✓✔\n");
  // A named encoding is the file's word: its letters stay.
  EXPECT_EQ(Convert(FontPage("<< /Type /Font /Subtype /Type1 /BaseFont /Symbol /Encoding "
                             "/WinAnsiEncoding >>",
                             "BT /F1 10 Tf 0 700 Td (abg) Tj ET"))
                ->text,
            "abg\n");
}

TEST(UnicodeFonts, CodesWithoutANamedEncoding) {
  // No /Encoding: a Type 1 font reads StandardEncoding (' is a right quote, \320 an em dash),
  // a TrueType font WinAnsiEncoding, a symbol font its own codes.
  const std::string content = "BT /F1 10 Tf 0 700 Td (It\047s \320 x) Tj ET";
  EXPECT_EQ(
      Convert(FontPage("<< /Type /Font /Subtype /Type1 /BaseFont /Times-Roman >>", content))->text,
      "It\xE2\x80\x99s \xE2\x80\x94 x\n");
  EXPECT_EQ(
      Convert(FontPage("<< /Type /Font /Subtype /TrueType /BaseFont /Arial >>", content))->text,
      "It's \xC3\x90 x\n");
  // The codes an embedded Type 1 program gives where /Differences leaves them open.
  const std::string program = ReadFixture("text/custom-encoding.t1");
  ASSERT_FALSE(program.empty());
  const std::string embedded = FontPage(
      "<< /Type /Font /Subtype /Type1 /BaseFont /ABCDEF+CMR10 /FontDescriptor 6 0 R "
      "/Encoding << /Differences [66 /B] >> >>",
      "BT /F1 10 Tf 0 700 Td (\013\014AB) Tj ET",
      {{6, "<< /Type /FontDescriptor /FontName /ABCDEF+CMR10 /FontFile 7 0 R >>"},
       {7, "<< /Length1 " + std::to_string(program.size()) + " /Length2 0 /Length3 0 /Length " +
               std::to_string(program.size()) + " >>\nstream\n" + program + "\nendstream"}});
  EXPECT_EQ(Convert(embedded)->text, "fffiAB\n");
}

TEST(UnicodeFonts, Type3FontsThroughTheirFontMatrix) {
  // The same glyphs in two glyph spaces: 1000 and 100 units to the em. Two lines 20 points
  // apart stay two lines, and the second string follows the first by its width.
  for (const char* space : {"/FontMatrix [0.001 0 0 0.001 0 0] /FontBBox [0 0 1000 1000] "
                            "/Widths [500 500]",
                            "/FontMatrix [0.01 0 0 0.01 0 0] /FontBBox [0 0 100 100] "
                            "/Widths [50 50]"}) {
    const auto c =
        Convert(FontPage(std::string("<< /Type /Font /Subtype /Type3 /FirstChar 65 /LastChar 66 "
                                     "/Encoding << /Differences [65 /A /B] >> /CharProcs << >> ") +
                             space + " >>",
                         "BT /F1 12 Tf 72 700 Td (A) Tj (B) Tj 0 -20 Td (AB) Tj ET"));
    EXPECT_EQ(c->text, "AB\nAB\n") << space;
    ASSERT_EQ(c->state.TextItems.Count(), 3) << space;
    EXPECT_EQ(c->state.TextItems[1].X, 78) << space;  // 72 + 0.5 em of 12 points
    EXPECT_EQ(c->state.TextItems[0].Size, 12) << space;
  }
}

TEST(UnicodeFonts, LibreOfficeWriterText) {
  const auto c = Convert(ReadFixture("text/libreoffice-brief.pdf"));
  for (const char* line :
       {"Größere Übungen für Äpfel und Öfen", "Der Preis beträgt 12 € pro Stück.",
        "„Zitat“ aus dem Büro: Die Affiliation, der Einfluss und die Pflaume.",
        "Schöne Grüße, Straße, Fluß", "Griechisch: αβγ"}) {
    EXPECT_NE(c->text.find(line), std::string::npos) << line << "\n" << c->text;
  }
  const auto folded = Convert(ReadFixture("text/libreoffice-brief.pdf"), true, true);
  EXPECT_NE(folded->text.find("Griechisch: ???"), std::string::npos) << folded->text;
  EXPECT_NE(std::find(folded->status.begin(), folded->status.end(),
                      "3 Zeichen ohne Entsprechung im Zeichensatz"),
            folded->status.end());
  // The classic reader: its tokenizer glues the closing ">" to the operator; no text.
  EXPECT_EQ(Convert(ReadFixture("text/libreoffice-brief.pdf"), false)->text.find("Preis"),
            std::string::npos);
}

TEST(UnicodeFonts, GroffLigaturesBecomeLetters) {
  const auto c = Convert(ReadFixture("text/groff-ms.pdf"));
  EXPECT_NE(c->text.find("Die fi- und fl-Lig"), std::string::npos) << c->text;
  EXPECT_NE(c->text.find("Gedankenstrich \xE2\x80\x94 hier"), std::string::npos);
}

}  // namespace
}  // namespace paginor
