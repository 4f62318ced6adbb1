#include "output/rtf_writer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <locale>
#include <random>
#include <sstream>

#include "output/cp1252.h"
#include "output/rtf_reader.h"
#include "output/sample_document.h"
#include "output/text_writer.h"
#include "output/utf8.h"

namespace paginor {
namespace {

using testing::AppendBreak;
using testing::AppendPieces;
using testing::Font;
using testing::ReadRTF;
using testing::RTFContent;

// What the reader found is what the document holds, line by line and character by character.
void ExpectReadsBack(const TRichDocument& doc, const RTFContent& rtf) {
  ASSERT_EQ(rtf.error, "");
  EXPECT_EQ(rtf.codepage, 1252);
  EXPECT_EQ(rtf.default_font, 0);
  ASSERT_FALSE(rtf.fonts.empty());
  EXPECT_EQ(rtf.fonts[0], doc.DefaultFont().Name);
  ASSERT_EQ(rtf.paragraphs.size(), static_cast<std::size_t>(doc.LineCount()));
  for (int i = 0; i < doc.LineCount(); ++i) {
    SCOPED_TRACE("line " + std::to_string(i));
    const testing::RTFParagraph& p = rtf.paragraphs[static_cast<std::size_t>(i)];
    EXPECT_EQ(p.paragraph, doc.LineParagraph(i));
    ASSERT_EQ(p.text, doc.Line(i));
    for (std::size_t k = 0; k < p.text.size(); ++k) {
      EXPECT_EQ(p.attributes[k], doc.AttributesAt(doc.LineStart(i) + static_cast<int64_t>(k))) << k;
    }
    if (doc.LineEnd(i) < doc.TextLength()) {
      EXPECT_EQ(p.mark, doc.AttributesAt(doc.LineEnd(i)));
    }
  }
}

TEST(RTFWriter, SampleDocumentFile) {
  const TRichDocument doc = testing::SampleDocument();
  const std::string rtf = DocumentToRTF(doc);
  EXPECT_EQ(rtf, testing::ReadExpected("sample.rtf"));
  const RTFContent content = ReadRTF(rtf);
  ExpectReadsBack(doc, content);
  EXPECT_EQ(content.fonts, (std::vector<std::string>{"Arial", "Times New Roman"}));
  EXPECT_EQ(content.colors, (std::vector<TColor>{clWindowText, 0x0000FF}));
  const std::vector<std::string> header(content.control_words.begin(),
                                        content.control_words.begin() + 4);
  EXPECT_EQ(header, (std::vector<std::string>{"rtf1", "ansi", "ansicpg1252", "deff0"}));
}

TEST(RTFWriter, EmptyDocument) {
  TRichDocument doc;
  const std::string rtf = DocumentToRTF(doc);
  EXPECT_EQ(rtf,
            "{\\rtf1\\ansi\\ansicpg1252\\deff0\n{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}}\n"
            "{\\colortbl;}\n}\n");
  ExpectReadsBack(doc, ReadRTF(rtf));
}

TEST(RTFWriter, TablesHoldEachFaceAndColourOnce) {
  TRichDocument doc;
  doc.SetDefaultFont(Font("Arial", 11));
  doc.Clear();
  AppendPieces(doc, {},
               {{Font("Courier New", 10, 0x00FF0000), "a"},
                {Font("Gr\xFC"
                      "n {x}\\y",
                      10, 0x0000FF00),
                 "b"},
                {Font("Courier New", 12, 0x00FF0000), "c"},
                {Font("Courier New", 12, 0x8000000F), "d"},
                {Font("Courier New", 12, clWindowText), "e"}});
  const std::string rtf = DocumentToRTF(doc);
  const RTFContent content = ReadRTF(rtf);
  EXPECT_EQ(content.fonts, (std::vector<std::string>{"Arial", "Courier New", "Gr\xFCn {x}\\y"}));
  EXPECT_EQ(content.colors, (std::vector<TColor>{clWindowText, 0x00FF0000, 0x0000FF00}));
  ASSERT_EQ(content.paragraphs.size(), 1u);
  // A system colour has no fixed value: it is written as the automatic colour.
  EXPECT_EQ(content.paragraphs[0].attributes[3].Color, clWindowText);
  EXPECT_EQ(content.paragraphs[0].attributes[2].Color, 0x00FF0000u);
  EXPECT_NE(rtf.find("{\\f2\\fnil\\fcharset0 Gr\\'fcn \\{x\\}\\\\y;}"), std::string::npos) << rtf;
}

TEST(RTFWriter, SizesAreHalfPointsWithinWhatReadersAccept) {
  struct Case {
    int points;
    std::string control;
  };
  const Case cases[] = {{11, "\\fs22"}, {1, "\\fs2"},       {0, "\\fs2"},
                        {-4, "\\fs2"},  {1638, "\\fs3276"}, {5000, "\\fs3276"}};
  for (const Case& c : cases) {
    TRichDocument doc;
    AppendPieces(doc, {}, {{Font("Arial", c.points), "x"}});
    const std::string rtf = DocumentToRTF(doc);
    EXPECT_NE(rtf.find("\\pard\\ql\\f0" + c.control + "\\cf0 x\\par"), std::string::npos)
        << c.points << "\n"
        << rtf;
  }
}

// Digits grouped and a comma as decimal point, in C and in C++.
struct GermanGrouping : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

TEST(RTFWriter, NumbersDoNotDependOnTheLocale) {
  TRichDocument doc;
  AppendPieces(doc, {}, {{Font("Arial", 1000, 0x00FFFFFF), "gross"}});
  const std::string classic = DocumentToRTF(doc);
  EXPECT_NE(classic.find("\\fs2000\\cf1 gross"), std::string::npos);
  EXPECT_NE(classic.find("\\red255\\green255\\blue255;"), std::string::npos);

  const std::locale saved =
      std::locale::global(std::locale(std::locale::classic(), new GermanGrouping));
  const std::string c_locale = std::setlocale(LC_ALL, nullptr);
  std::setlocale(LC_ALL, "de_DE.UTF-8");  // where installed
  const std::string german = DocumentToRTF(doc);
  std::setlocale(LC_ALL, c_locale.c_str());
  std::locale::global(saved);
  EXPECT_EQ(german, classic);
}

TEST(RTFWriter, RandomDocumentsReadBack) {
  std::mt19937 random(7411);
  auto pick = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  const std::string names[] = {"Arial", "Times New Roman", "Sch\xF6n", "Mono{1}\\"};
  const TColor colors[] = {clWindowText, 0x000000FF, 0x00123456, 0x00FFFFFF};
  auto attributes = [&] {
    TFontStyles style;
    for (TFontStyle s : {fsBold, fsItalic, fsUnderline, fsStrikeOut}) {
      if (pick(0, 1)) style.Include(s);
    }
    return Font(names[pick(0, 3)], pick(1, 72), colors[pick(0, 3)], style);
  };
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    TRichDocument doc;
    doc.SetDefaultFont(Font(names[pick(0, 3)], 11));
    doc.Clear();
    const int lines = pick(0, 6);
    for (int line = 0; line < lines; ++line) {
      std::vector<testing::TextPiece> pieces;
      for (int k = pick(0, 4); k > 0; --k) {
        std::u32string text;
        for (int n = pick(1, 6); n > 0; --n) {
          // Windows-1252 characters, and now and then any other, beyond the BMP too.
          char32_t c = Cp1252ToUnicode(static_cast<unsigned char>(pick(0, 255)));
          if (pick(0, 3) == 0) c = static_cast<char32_t>(pick(0x100, 0x10FFFF));
          if (c == '\n' || (c >= 0xD800 && c <= 0xDFFF)) c = ' ';
          // Letters, digits and blanks after control words are where delimiting goes wrong.
          if (pick(0, 2) == 0) c = static_cast<unsigned char>(" a1-\\{}\t"[pick(0, 7)]);
          text += c;
        }
        pieces.push_back({attributes(), ToUtf8(text)});
      }
      const TParaAttributes para{static_cast<TAlignment>(pick(0, 2)),
                                 static_cast<TNumbering>(pick(0, 1))};
      AppendPieces(doc, para, pieces);
      if (line + 1 < lines || pick(0, 1)) AppendBreak(doc, attributes());
    }
    ExpectReadsBack(doc, ReadRTF(DocumentToRTF(doc)));
    if (HasFatalFailure()) return;
  }
}

// soffice as the directory of an executable in PATH, or empty.
std::filesystem::path FindOnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return {};
  std::stringstream dirs(path);
  for (std::string dir; std::getline(dirs, dir, ':');) {
    const std::filesystem::path candidate = std::filesystem::path(dir) / program;
    if (!dir.empty() && ::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

std::string WithoutCarriageReturns(std::string text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
  std::erase(text, '\r');
  while (!text.empty() && text.back() == '\n')
    text.pop_back();
  return text;
}

TEST(RTFWriter, LibreOfficeReadsTheText) {
  const std::filesystem::path soffice = FindOnPath("soffice");
  if (soffice.empty()) GTEST_SKIP() << "soffice (LibreOffice) is not on PATH";
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("paginor-rtf-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  {
    std::ofstream out(dir / "sample.rtf", std::ios::binary);
    out << DocumentToRTF(testing::SampleDocument());
  }
  // A profile of its own, so that a running LibreOffice of the user does not take the job.
  const std::string command =
      "'" + soffice.string() + "' -env:UserInstallation=file://" + (dir / "profile").string() +
      " --headless --convert-to 'txt:Text (encoded):UTF8' --outdir '" + dir.string() + "' '" +
      (dir / "sample.rtf").string() + "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  std::ifstream in(dir / "sample.txt", std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  std::filesystem::remove_all(dir);

  // The bullet and its tab are text to a text export.
  std::string expected = testing::ReadExpected("sample.txt");
  expected.insert(expected.find("Punkt"), "\xE2\x80\xA2\t");
  EXPECT_EQ(WithoutCarriageReturns(text.str()), WithoutCarriageReturns(expected));
}

}  // namespace
}  // namespace paginor
