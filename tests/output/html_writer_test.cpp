#include "output/html_writer.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "output/sample_document.h"

namespace paginor {
namespace {

using testing::AppendBreak;
using testing::AppendPieces;
using testing::Font;
using Lines = std::vector<std::string>;

const std::string kHeader = "<html><body bgcolor=#FFFFFF><nobr>";
const std::string kTrailer = "</nobr></body></html>";

// A document of plain lines in the default font (Arial, 11 points, automatic colour).
TRichDocument Plain(std::string_view text) {
  TRichDocument doc;
  doc.SetSelText(text);
  return doc;
}

// The page without its header and trailer, which are checked once.
Lines Body(TRichDocument& doc) {
  Lines page = RTFToHTML(doc);
  EXPECT_GE(page.size(), 2u);
  if (page.size() < 2) return page;
  EXPECT_EQ(page.front(), kHeader);
  EXPECT_EQ(page.back(), kTrailer);
  return Lines(page.begin() + 1, page.end() - 1);
}

TEST(HTMLFontSize, MapsPointsToSevenSteps) {
  struct Case {
    int points;
    const char* code;
  };
  const Case cases[] = {{INT_MIN, "1"}, {-3, "1"}, {0, "1"},  {8, "1"},  {9, "2"},      {10, "2"},
                        {11, "3"},      {12, "3"}, {13, "4"}, {14, "4"}, {15, "5"},     {18, "5"},
                        {19, "6"},      {24, "6"}, {25, "7"}, {72, "7"}, {INT_MAX, "7"}};
  for (const Case& c : cases)
    EXPECT_EQ(HTMLFontSize(c.points), c.code) << c.points;
}

TEST(HTMLColor, SwapsRedAndBlueAndDropsTheTopByte) {
  struct Case {
    uint32_t color;
    uint32_t rgb;
    const char* code;
  };
  const Case cases[] = {
      {0x000000FF, 0xFF0000, "FF0000"},   {0x00FF0000, 0x0000FF, "0000FF"},
      {0x0000FF00, 0x00FF00, "00FF00"},   {0x00FFFFFF, 0xFFFFFF, "FFFFFF"},
      {0x00000000, 0x000000, "000000"},   {0x00563412, 0x123456, "123456"},
      {clWindowText, 0x080000, "080000"}, {0xAB0C0B0A, 0x0A0B0C, "0A0B0C"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HTMLColor(c.color), c.rgb) << std::hex << c.color;
    EXPECT_EQ(HTMLColorCode(c.color), c.code) << std::hex << c.color;
  }
}

TEST(HTMLChar, EscapesOutsideTagsOnly) {
  struct Case {
    char c;
    bool tag_before;
    std::string written;
    bool tag_after;
  };
  const Case cases[] = {
      {'\xE4', false, "&auml;", false},  {'\xC4', false, "&Auml;", false},
      {'\xF6', false, "&ouml;", false},  {'\xD6', false, "&Ouml;", false},
      {'\xFC', false, "&uuml;", false},  {'\xDC', false, "&Uuml;", false},
      {'\xDF', false, "&szlig;", false}, {'&', false, "&amp;", false},
      {'"', false, "&quot;", false},     {' ', false, "&nbsp;", false},
      {'\xE9', false, "\xE9", false},    {'\t', false, "\t", false},
      {'x', false, "x", false},          {'<', false, "<", true},
      {'>', false, ">", false},          {' ', true, " ", true},
      {'"', true, "\"", true},           {'\xE4', true, "\xE4", true},
      {'>', true, ">", false},           {'<', true, "<", true},
  };
  for (const Case& c : cases) {
    bool tag = c.tag_before;
    EXPECT_EQ(HTMLChar(c.c, tag), c.written) << c.c << " tag " << c.tag_before;
    EXPECT_EQ(tag, c.tag_after) << c.c << " tag " << c.tag_before;
  }
}

TEST(RTFToHTML, TheFiveLineExample) {
  TRichDocument doc;
  doc.SetDefaultFont(Font("Arial", 11));
  doc.Clear();
  doc.SetSelText("Ä & B");
  doc.AddLine("");
  doc.AddLine("");
  doc.SetSelText("fett");
  doc.SetSelStart(doc.TextLength() - 4);
  doc.SetSelLength(2);
  doc.SetSelAttributes(Font("Arial", 11, clWindowText, {fsBold}));
  EXPECT_EQ(HTMLFileContent(RTFToHTML(doc)), testing::ReadExpected("example.htm"));
}

TEST(RTFToHTML, SampleDocumentPage) {
  TRichDocument doc = testing::SampleDocument();
  EXPECT_EQ(HTMLFileContent(RTFToHTML(doc)), testing::ReadExpected("sample.htm"));
}

TEST(RTFToHTML, EmptyDocumentIsHeaderAndTrailer) {
  TRichDocument doc;
  EXPECT_EQ(RTFToHTML(doc), (Lines{kHeader, kTrailer}));
  EXPECT_EQ(HTMLFileContent(RTFToHTML(doc)), kHeader + "\r\n" + kTrailer + "\r\n");
}

TEST(RTFToHTML, ProgressPerLineAndZeroAtTheEnd) {
  struct Case {
    const char* text;
    std::vector<int> progress;
  };
  const Case cases[] = {
      {"", {0}},
      {"eins", {0}},
      {"a\nb\nc", {0, 50, 100, 0}},
      {"a\nb\nc\nd", {0, 33, 66, 100, 0}},
  };
  for (const Case& c : cases) {
    TRichDocument doc = Plain(c.text);
    std::vector<int> progress;
    int events = 0;
    RTFToHTML(
        doc,
        [&] {
          ++events;
          return true;
        },
        [&](int p) { progress.push_back(p); });
    EXPECT_EQ(progress, c.progress) << c.text;
    EXPECT_EQ(events, doc.LineCount()) << c.text;
  }
}

TEST(RTFToHTML, CancelStopsBeforeTheNextLineAndRestoresTheSelection) {
  TRichDocument doc = Plain("eins\nzwei\ndrei");
  doc.SetSelStart(6);
  doc.SetSelLength(3);
  int asked = 0;
  std::vector<int> progress;
  const Lines page = RTFToHTML(
      doc, [&] { return ++asked <= 1; }, [&](int p) { progress.push_back(p); });
  EXPECT_EQ(page, (Lines{kHeader, "<div align=left><font face=Arial size=3 color=#080000>eins",
                         kTrailer}));
  EXPECT_EQ(progress, (std::vector<int>{0, 0}));
  EXPECT_EQ(doc.SelStart(), 6);
  EXPECT_EQ(doc.SelLength(), 3);
  EXPECT_EQ(doc.Text(), "eins\nzwei\ndrei");
}

TEST(RTFToHTML, TagFlagCrossesLineEnds) {
  TRichDocument doc = Plain("a<b c\nd e>f g");
  EXPECT_EQ(Body(doc),
            (Lines{"<div align=left><font face=Arial size=3 color=#080000>a<b c",
                   "<div align=left><font face=Arial size=3 color=#080000>d e>f&nbsp;g"}));
}

TEST(RTFToHTML, ImageLinkPassesUnchanged) {
  TRichDocument doc = Plain("Bild: <a href=\"bild001.jpg\"><img src=\"bild001.jpg\"></a> & mehr");
  EXPECT_EQ(Body(doc), (Lines{"<div align=left><font face=Arial size=3 color=#080000>Bild:&nbsp;"
                              "<a href=\"bild001.jpg\"><img src=\"bild001.jpg\"></a>&nbsp;&amp;"
                              "&nbsp;mehr"}));
}

TEST(RTFToHTML, FontTagsAndStyleTags) {
  struct Case {
    const char* name;
    std::vector<testing::TextPiece> pieces;
    std::string line;
  };
  const TTextAttributes arial = Font("Arial", 11);
  const TTextAttributes bold = Font("Arial", 11, clWindowText, {fsBold});
  const Case cases[] = {
      {"face with spaces and sizes",
       {{Font("Times New Roman", 9), "a"},
        {Font("Times New Roman", 24), "b"},
        {Font("Times New Roman", 25), "c"}},
       "<font face=Times New Roman size=2 color=#080000>a"
       "<font face=Times New Roman size=6 color=#080000>b"
       "<font face=Times New Roman size=7 color=#080000>c"},
      {"colours",
       {{arial, "a"}, {Font("Arial", 11, 0x000000FF), "r"}},
       "<font face=Arial size=3 color=#080000>a<font face=Arial size=3 color=#FF0000>r"},
      {"all bold closes at the end",
       {{bold, "fett"}},
       "<font face=Arial size=3 color=#080000><b>fett</b>"},
      {"size change in mid-line",
       {{arial, "a"}, {Font("Arial", 20), "b"}},
       "<font face=Arial size=3 color=#080000>a<font face=Arial size=6 color=#080000>b"},
      {"a size change within one size code writes nothing",
       {{arial, "a"}, {Font("Arial", 12), "b"}},
       "<font face=Arial size=3 color=#080000>ab"},
      {"style alone",
       {{arial, "a"},
        {Font("Arial", 11, clWindowText, {fsBold, fsItalic, fsUnderline}), "b"},
        {Font("Arial", 11, clWindowText, {fsItalic}), "c"},
        {arial, "d"}},
       "<font face=Arial size=3 color=#080000>a<b><u><i>b</b></u>c</i>d"},
      {"strike-out is not written",
       {{Font("Arial", 11, clWindowText, {fsStrikeOut}), "s"}},
       "<font face=Arial size=3 color=#080000>s"},
      {"open styles close in order",
       {{Font("Arial", 11, clWindowText, {fsItalic, fsUnderline, fsBold}), "x"}},
       "<font face=Arial size=3 color=#080000><b><u><i>x</b></u></i>"},
  };
  for (const Case& c : cases) {
    TRichDocument doc;
    AppendPieces(doc, {}, c.pieces);
    EXPECT_EQ(Body(doc), (Lines{"<div align=left>" + c.line})) << c.name;
  }
}

TEST(RTFToHTML, StylesStartFreshOnEveryLine) {
  TRichDocument doc;
  const TTextAttributes bold = Font("Arial", 11, clWindowText, {fsBold});
  AppendPieces(doc, {}, {{bold, "ab"}});
  AppendBreak(doc, bold);
  AppendPieces(doc, {}, {{bold, "cd"}});
  EXPECT_EQ(Body(doc), (Lines{"<div align=left><font face=Arial size=3 color=#080000><b>ab</b>",
                              "<div align=left><font face=Arial size=3 color=#080000><b>cd</b>"}));
}

TEST(RTFToHTML, ParagraphsOfEmptyLinesComeFromTheLineBefore) {
  TRichDocument doc;
  const TTextAttributes arial = Font("Arial", 11);
  const TParaAttributes center{TAlignment::Center, TNumbering::None};
  const TParaAttributes bullet{TAlignment::Right, TNumbering::Bullet};
  // Two empty lines (right-aligned, left-aligned), then a centred line, two empty lines, a
  // bulleted right-aligned line and one empty line; the later empty lines are left-aligned.
  AppendPieces(doc, {TAlignment::Right, TNumbering::None}, {});
  AppendBreak(doc, arial);
  AppendPieces(doc, {}, {});
  AppendBreak(doc, arial);
  AppendPieces(doc, center, {{arial, "mitte"}});
  AppendBreak(doc, arial);
  for (int k = 0; k < 2; ++k) {
    AppendPieces(doc, {}, {});
    AppendBreak(doc, arial);
  }
  AppendPieces(doc, bullet, {{arial, "punkt"}});
  AppendBreak(doc, arial);
  AppendPieces(doc, {}, {});
  AppendBreak(doc, arial);
  const std::string font = "<font face=Arial size=3 color=#080000>";
  EXPECT_EQ(Body(doc), (Lines{
                           "<div align=right><br>",
                           "<div align=right><br>",
                           "<div align=center>" + font + "mitte",
                           "<div align=center><br>",
                           "<div align=center><br>",
                           "<div align=right><ul><li>" + font + "punkt</li></ul>",
                           "<div align=right><ul><li><br></li></ul>",
                       }));
}

TEST(RTFToHTML, LinesBreaksAreSkippedWhateverTheirNumber) {
  TRichDocument doc = Plain("\n\n\nx\n\ny");
  const std::string font = "<div align=left><font face=Arial size=3 color=#080000>";
  EXPECT_EQ(Body(doc),
            (Lines{"<div align=left><br>", "<div align=left><br>", "<div align=left><br>",
                   font + "x", "<div align=left><br>", font + "y"}));
}

TEST(RTFToHTML, CharacterAttributesComeFromTheSelection) {
  TRichDocument doc;
  AppendPieces(doc, {}, {{Font("Arial", 11), "ab"}, {Font("Courier", 11), "c"}});
  AppendBreak(doc, Font("Arial", 11));
  AppendPieces(doc, {}, {{Font("Courier", 11), "d"}});
  EXPECT_EQ(Body(doc), (Lines{"<div align=left><font face=Arial size=3 color=#080000>ab"
                              "<font face=Courier size=3 color=#080000>c",
                              "<div align=left><font face=Courier size=3 color=#080000>d"}));
}

TEST(RTFToHTML, LargeDocument) {
  TRichDocument doc;
  doc.BeginUpdate();
  constexpr int kLines = 30000;
  for (int line = 0; line < kLines; ++line) {
    doc.SetSelAttributesSize(line % 2 == 0 ? 11 : 20);
    doc.SetSelText(doc.SelText() + "Zeile mit einigen Wörtern");
    doc.AddLine("");
  }
  doc.EndUpdate();
  const Lines page = RTFToHTML(doc);
  ASSERT_EQ(page.size(), static_cast<std::size_t>(kLines) + 2);
  const std::string text = "Zeile&nbsp;mit&nbsp;einigen&nbsp;W&ouml;rtern";
  EXPECT_EQ(page[kLines - 1], "<div align=left><font face=Arial size=3 color=#080000>" + text);
  EXPECT_EQ(page[kLines], "<div align=left><font face=Arial size=6 color=#080000>" + text);
}

}  // namespace
}  // namespace paginor
