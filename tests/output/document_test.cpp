#include "output/document.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "output/sample_document.h"

namespace paginor {
namespace {

using testing::Font;

// A document with the given text, every character in the default font.
TRichDocument WithText(std::string_view text) {
  TRichDocument doc;
  doc.SetSelText(text);
  return doc;
}

TEST(RichDocument, LineCountIgnoresAnEmptyLastLine) {
  struct Case {
    const char* name;
    std::string text;
    int count;
  };
  const Case cases[] = {
      {"empty", "", 0},
      {"one line", "abc", 1},
      {"closed line", "abc\n", 1},
      {"blank line", "abc\n\n", 2},
      {"two lines", "abc\ndef", 2},
      {"only a break", "\n", 1},
  };
  for (const Case& c : cases) {
    const TRichDocument doc = WithText(c.text);
    EXPECT_EQ(doc.LineCount(), c.count) << c.name;
    EXPECT_EQ(doc.Text(), c.text) << c.name;
  }
  const TRichDocument doc = WithText("abc\n\ndef\n");
  const std::vector<std::string> lines = {doc.Line(0), doc.Line(1), doc.Line(2), doc.Line(3)};
  EXPECT_EQ(lines, (std::vector<std::string>{"abc", "", "def", ""}));
  EXPECT_EQ(doc.LineTotal(), 4);
  EXPECT_EQ(doc.Line(4), "");
  EXPECT_EQ(doc.Line(-1), "");
}

TEST(RichDocument, AddLineClosesALastLineOrAddsAnEmptyOne) {
  struct Case {
    const char* name;
    std::string before;
    std::string added;
    std::string after;
    int count;
  };
  const Case cases[] = {
      {"empty document, empty line", "", "", "\n", 1},
      {"empty document", "", "eins", "eins\n", 1},
      {"open last line closed only", "abc", "", "abc\n", 1},
      {"open last line gets a new one", "abc", "de", "abc\nde", 2},
      {"closed last line", "abc\n", "", "abc\n\n", 2},
      {"closed last line gets text", "abc\n", "de", "abc\nde\n", 2},
  };
  for (const Case& c : cases) {
    TRichDocument doc = WithText(c.before);
    doc.SetSelStart(0);  // AddLine appends wherever the caret is
    doc.AddLine(c.added);
    EXPECT_EQ(doc.Text(), c.after) << c.name;
    EXPECT_EQ(doc.LineCount(), c.count) << c.name;
    EXPECT_EQ(doc.SelStart(), doc.TextLength()) << c.name;
    EXPECT_EQ(doc.SelLength(), 0) << c.name;
  }

  TRichDocument abc = WithText("abc");
  abc.AddLine("");
  abc.AddLine("");
  EXPECT_EQ(abc.LineCount(), 2);
  EXPECT_EQ(abc.Line(1), "");
}

TEST(RichDocument, SelectionIsClamped) {
  TRichDocument doc;
  doc.AddLine("eins");
  doc.SetSelText("zwei");
  EXPECT_EQ(doc.Text(), "eins\nzwei");
  struct Case {
    int64_t start, length;
    int64_t got_start, got_length;
  };
  const Case cases[] = {
      {100, 0, 9, 0}, {-5, 0, 0, 0}, {0, 1000, 0, 9}, {7, 5, 7, 2}, {3, -2, 3, 0}, {9, 1, 9, 0},
  };
  for (const Case& c : cases) {
    doc.SetSelStart(c.start);
    doc.SetSelLength(c.length);
    EXPECT_EQ(doc.SelStart(), c.got_start) << c.start << "+" << c.length;
    EXPECT_EQ(doc.SelLength(), c.got_length) << c.start << "+" << c.length;
  }
  doc.SetSelStart(3);
  doc.SetSelLength(4);
  EXPECT_EQ(doc.SelText(), "s\nzw");
  doc.SetSelStart(3);  // setting the start empties the selection
  EXPECT_EQ(doc.SelLength(), 0);
  EXPECT_EQ(doc.SelText(), "");

  doc.Clear();
  EXPECT_EQ(doc.TextLength(), 0);
  EXPECT_EQ(doc.SelStart(), 0);
  doc.SetSelLength(1);
  EXPECT_EQ(doc.SelLength(), 0);
}

TEST(RichDocument, CharactersAreNeverSplit) {
  TRichDocument doc;
  doc.SetSelText("aé中𝐀b");  // 1, 2, 3 and 4 bytes
  struct Case {
    int64_t start, length;
    std::string selected;
  };
  const Case cases[] = {
      {2, 0, ""},    // inside é: back to its start
      {2, 1, "é"},   // and the end to the end of the character it falls in
      {4, 2, "中"},  // inside 中
      {6, 1, "𝐀"},   // the first byte of 𝐀 selects all four
      {8, 5, "𝐀b"},  // from inside 𝐀 to b
      {0, 100, "aé中𝐀b"},
  };
  for (const Case& c : cases) {
    doc.SetSelStart(c.start);
    doc.SetSelLength(c.length);
    EXPECT_EQ(doc.SelText(), c.selected) << c.start << "+" << c.length;
  }
  // Replacing a selection that began inside a character keeps the text valid.
  doc.SetSelStart(5);
  doc.SetSelLength(1);
  doc.SetSelText("x");
  EXPECT_EQ(doc.Text(), "aéx𝐀b");
  // Bytes that are not UTF-8 come in as "?", one for each.
  doc.SetSelStart(doc.TextLength());
  doc.SetSelText("\xE4\xC3 \xF0\x9F");
  doc.AddLine("\x80ok");
  EXPECT_EQ(doc.Text(), "aéx𝐀b?? ??\n?ok");
}

TEST(RichDocument, SelTextReplacesTheSelectionAndItsLines) {
  struct Case {
    const char* name;
    int64_t start, length;
    std::string inserted;
    std::string text;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"insert in the middle", 2, 0, "XY", "abXYc\ndef", {"abXYc", "def"}},
      {"replace across a break", 2, 3, "-", "ab-ef", {"ab-ef"}},
      {"insert breaks", 1, 1, "1\n2\n", "a1\n2\nc\ndef", {"a1", "2", "c", "def"}},
      {"delete everything", 0, 7, "", "", {}},
      {"delete a break", 3, 1, "", "abcdef", {"abcdef"}},
  };
  for (const Case& c : cases) {
    TRichDocument doc = WithText("abc\ndef");
    doc.SetSelStart(c.start);
    doc.SetSelLength(c.length);
    doc.SetSelText(c.inserted);
    EXPECT_EQ(doc.Text(), c.text) << c.name;
    std::vector<std::string> lines;
    for (int i = 0; i < doc.LineCount(); ++i)
      lines.push_back(doc.Line(i));
    EXPECT_EQ(lines, c.lines) << c.name;
    EXPECT_EQ(doc.SelStart(), c.start + static_cast<int64_t>(c.inserted.size())) << c.name;
    EXPECT_EQ(doc.SelLength(), 0) << c.name;
  }
}

TEST(RichDocument, InsertedTextTakesTheInsertionAttributes) {
  const TTextAttributes courier = Font("Courier New", 10, 0x00FF00, {fsItalic});
  TRichDocument doc;
  doc.SetDefaultFont(courier);
  EXPECT_EQ(doc.SelAttributes(), TTextAttributes{}) << "DefaultFont waits for the next Clear";
  doc.Clear();
  doc.SetSelText("a");
  doc.SetSelAttributesSize(14);
  EXPECT_EQ(doc.SelAttributes().Size, 14);
  doc.SetSelText("x");
  doc.AddLine("");

  TTextAttributes courier14 = courier;
  courier14.Size = 14;
  doc.SetSelStart(0);
  doc.SetSelLength(1);
  EXPECT_EQ(doc.SelAttributes(), courier);
  doc.SetSelStart(1);
  doc.SetSelLength(1);
  EXPECT_EQ(doc.SelAttributes(), courier14);
  doc.SetSelStart(2);
  doc.SetSelLength(1);
  EXPECT_EQ(doc.SelText(), "\n");
  EXPECT_EQ(doc.SelAttributes(), courier14) << "the break takes the insertion attributes too";

  doc.Clear();
  doc.SetSelText("b");
  doc.SetSelStart(0);
  doc.SetSelLength(1);
  EXPECT_EQ(doc.SelAttributes(), courier) << "Clear brings back DefaultFont";
  EXPECT_EQ(doc.DefaultFont(), courier);
}

TEST(RichDocument, SizeOfASelectionChangesOnlyItsCharacters) {
  TRichDocument doc = WithText("abcdef");
  doc.SetSelStart(2);
  doc.SetSelLength(2);
  doc.SetSelAttributesSize(20);
  const int expected[] = {11, 11, 20, 20, 11, 11};
  for (int64_t p = 0; p < 6; ++p)
    EXPECT_EQ(doc.AttributesAt(p).Size, expected[p]) << p;
  doc.SetSelStart(6);
  EXPECT_EQ(doc.SelAttributes().Size, 11) << "the insertion attributes stay";

  const TAttributeRun middle = doc.RunAt(3);
  EXPECT_EQ(middle.Start, 2);
  EXPECT_EQ(middle.End, 4);
  // Equal neighbours join again.
  doc.SetSelStart(2);
  doc.SetSelLength(2);
  doc.SetSelAttributesSize(11);
  const TAttributeRun all = doc.RunAt(3);
  EXPECT_EQ(all.Start, 0);
  EXPECT_EQ(all.End, 6);
}

TEST(RichDocument, FontNamesAreCutTo31Characters) {
  const std::string long_name(40, 'N');
  TRichDocument doc;
  doc.SetDefaultFont(Font(long_name, 11));
  EXPECT_EQ(doc.DefaultFont().Name, std::string(31, 'N'));
  doc.SetSelAttributes(Font(long_name, 12));
  doc.SetSelText("x");
  EXPECT_EQ(doc.AttributesAt(0).Name, std::string(31, 'N'));
}

TEST(RichDocument, ParagraphOfABreakIsTheLineItEnds) {
  TRichDocument doc = WithText("ab\ncd\n");
  doc.SetSelStart(0);
  doc.SetParagraphAlignment(TAlignment::Center);
  doc.SetSelStart(3);
  doc.SetParagraphNumbering(TNumbering::Bullet);
  struct Case {
    int64_t position;
    TParaAttributes paragraph;
  };
  const TParaAttributes center{TAlignment::Center, TNumbering::None};
  const TParaAttributes bullet{TAlignment::Left, TNumbering::Bullet};
  const Case cases[] = {{0, center}, {2, center}, {3, bullet}, {5, bullet}, {6, {}}};
  for (const Case& c : cases) {
    doc.SetSelStart(c.position);
    doc.SetSelLength(1);
    EXPECT_EQ(doc.Paragraph(), c.paragraph) << c.position;
  }
  doc.SetSelStart(2);
  doc.SetSelLength(1);
  EXPECT_EQ(doc.SelText(), "\n");
  EXPECT_EQ(doc.Paragraph(), center);
}

TEST(RichDocument, ParagraphAttributesFollowTheirLines) {
  TRichDocument doc = WithText("ab\ncd\nef");
  doc.SetSelStart(1);
  doc.SetSelLength(3);  // "b\nc": lines 0 and 1
  doc.SetParagraphAlignment(TAlignment::Right);
  EXPECT_EQ(doc.LineParagraph(0).Alignment, TAlignment::Right);
  EXPECT_EQ(doc.LineParagraph(1).Alignment, TAlignment::Right);
  EXPECT_EQ(doc.LineParagraph(2).Alignment, TAlignment::Left);
  doc.SetSelStart(0);
  doc.SetSelLength(3);  // "ab\n" ends at the start of line 1 but does not touch it
  doc.SetParagraphNumbering(TNumbering::Bullet);
  EXPECT_EQ(doc.LineParagraph(0).Numbering, TNumbering::Bullet);
  EXPECT_EQ(doc.LineParagraph(1).Numbering, TNumbering::None);

  // A split line's parts keep its attributes; joined lines keep the first one's.
  doc.SetSelStart(7);
  doc.SetSelText("\n");  // "ab\ncd\ne\nf"
  EXPECT_EQ(doc.LineParagraph(3), doc.LineParagraph(2));
  doc.SetSelStart(1);
  doc.SetSelLength(3);  // "b\nc"
  doc.SetSelText("");
  EXPECT_EQ(doc.Text(), "ad\ne\nf");
  EXPECT_EQ(doc.LineParagraph(0), (TParaAttributes{TAlignment::Right, TNumbering::Bullet}));
  EXPECT_EQ(doc.LineParagraph(1), TParaAttributes{});

  doc.Clear();
  EXPECT_EQ(doc.Paragraph(), TParaAttributes{});
}

TEST(RichDocument, UpdateCallsNest) {
  TRichDocument doc;
  doc.BeginUpdate();
  doc.BeginUpdate();
  doc.EndUpdate();
  EXPECT_EQ(doc.UpdateCount(), 1);
  doc.EndUpdate();
  doc.EndUpdate();
  EXPECT_EQ(doc.UpdateCount(), 0);
}

// The layout's way of filling a document, at a realistic size: runs of a few characters,
// each with its size, and lines added after them.
TEST(RichDocument, AppendingKeepsRunsAndLinesInOrder) {
  TRichDocument doc;
  doc.Clear();
  doc.BeginUpdate();
  constexpr int kLines = 20000;
  for (int line = 0; line < kLines; ++line) {
    for (int run = 0; run < 4; ++run) {
      doc.SetSelAttributesSize(8 + run);
      doc.SetSelText(doc.SelText() + "Wort ");
    }
    doc.SetSelAttributesSize(8);
    doc.AddLine("");
  }
  doc.EndUpdate();
  EXPECT_EQ(doc.LineCount(), kLines);
  EXPECT_EQ(doc.TextLength(), int64_t{kLines} * 21);
  EXPECT_EQ(doc.Line(kLines - 1), "Wort Wort Wort Wort ");
  const int64_t last = int64_t{kLines - 1} * 21;
  for (int run = 0; run < 4; ++run) {
    EXPECT_EQ(doc.AttributesAt(last + 5 * run + 2).Size, 8 + run) << run;
  }
  // The break and the first run of the next line share a size: one run.
  EXPECT_EQ(doc.RunAt(last).Start, last - 1);
  EXPECT_EQ(doc.RunAt(last).End, last + 5);
}

// A simple model of the document: one attribute value per character and per line.
struct Model {
  std::string text;
  std::vector<TTextAttributes> attrs;
  std::vector<TParaAttributes> paras{TParaAttributes{}};
  int64_t start = 0, length = 0;
  TTextAttributes insertion;

  int64_t size() const { return static_cast<int64_t>(text.size()); }
  int LineOf(int64_t p) const {
    return static_cast<int>(std::count(text.begin(), text.begin() + p, '\n'));
  }
  void Replace(std::string_view s) {
    const int line = LineOf(start);
    const auto gone = std::count(text.begin() + start, text.begin() + start + length, '\n');
    paras.erase(paras.begin() + line + 1, paras.begin() + line + 1 + gone);
    const auto added = std::count(s.begin(), s.end(), '\n');
    const TParaAttributes split = paras[line];
    paras.insert(paras.begin() + line + 1, added, split);
    text.replace(start, length, s);
    attrs.erase(attrs.begin() + start, attrs.begin() + start + length);
    attrs.insert(attrs.begin() + start, s.size(), insertion);
    start += static_cast<int64_t>(s.size());
    length = 0;
  }
};

void ExpectSame(const TRichDocument& doc, const Model& m, int step) {
  SCOPED_TRACE("step " + std::to_string(step));
  ASSERT_EQ(doc.Text(), m.text);
  ASSERT_EQ(doc.SelStart(), m.start);
  ASSERT_EQ(doc.SelLength(), m.length);
  EXPECT_EQ(doc.SelText(), m.text.substr(m.start, m.length));
  EXPECT_EQ(doc.SelAttributes(), m.length == 0 ? m.insertion : m.attrs[m.start]);
  EXPECT_EQ(doc.Paragraph(), m.paras[m.LineOf(m.start)]);
  ASSERT_EQ(doc.LineTotal(), static_cast<int>(m.paras.size()));
  for (int i = 0; i < doc.LineTotal(); ++i)
    EXPECT_EQ(doc.LineParagraph(i), m.paras[i]) << i;
  for (int64_t p = 0; p < m.size(); ++p) {
    const TAttributeRun run = doc.RunAt(p);
    ASSERT_EQ(run.Attributes, m.attrs[p]) << p;
    ASSERT_LE(run.Start, p);
    ASSERT_GT(run.End, p);
    for (int64_t q = run.Start; q < run.End; ++q)
      ASSERT_EQ(m.attrs[q], m.attrs[p]) << q;
    if (run.Start > 0) {
      ASSERT_NE(m.attrs[run.Start - 1], m.attrs[p]) << "run not maximal";
    }
    if (run.End < m.size()) {
      ASSERT_NE(m.attrs[run.End], m.attrs[p]) << "run not maximal";
    }
  }
}

TEST(RichDocument, AgreesWithASimpleModelUnderRandomEdits) {
  std::mt19937 random(20240611);
  auto pick = [&](int64_t low, int64_t high) {
    return std::uniform_int_distribution<int64_t>(low, high)(random);
  };
  const TTextAttributes pool[] = {Font("Arial", 11), Font("Arial", 14),
                                  Font("Times New Roman", 11, 0x0000FF, {fsBold}),
                                  Font("Arial", 11, clWindowText, {fsItalic, fsUnderline})};
  const TParaAttributes paras[] = {
      {}, {TAlignment::Center, TNumbering::None}, {TAlignment::Right, TNumbering::Bullet}};
  TRichDocument doc;
  Model m;
  for (int step = 0; step < 3000; ++step) {
    switch (pick(0, 7)) {
      case 0: {
        const int64_t p = pick(-3, m.size() + 3);
        doc.SetSelStart(p);
        m.start = std::clamp<int64_t>(p, 0, m.size());
        m.length = 0;
        break;
      }
      case 1: {
        const int64_t n = pick(-2, 8);
        doc.SetSelLength(n);
        m.length = std::clamp<int64_t>(n, 0, m.size() - m.start);
        break;
      }
      case 2:
      case 3: {
        std::string s;
        for (int64_t k = pick(0, 5); k > 0; --k)
          s += "ab\n"[pick(0, 2)];
        if (m.size() > 60) {  // keep the document small: remove instead
          doc.SetSelStart(0);
          doc.SetSelLength(20);
          m.start = 0;
          m.length = 20;
          s.clear();
        }
        doc.SetSelText(s);
        m.Replace(s);
        break;
      }
      case 4: {
        const int size = static_cast<int>(pick(10, 12));
        doc.SetSelAttributesSize(size);
        if (m.length == 0) m.insertion.Size = size;
        for (int64_t q = m.start; q < m.start + m.length; ++q)
          m.attrs[q].Size = size;
        break;
      }
      case 5: {
        const TTextAttributes& a = pool[pick(0, 3)];
        doc.SetSelAttributes(a);
        if (m.length == 0) m.insertion = a;
        for (int64_t q = m.start; q < m.start + m.length; ++q)
          m.attrs[q] = a;
        break;
      }
      case 6: {
        const TParaAttributes& para = paras[pick(0, 2)];
        doc.SetParagraphAlignment(para.Alignment);
        doc.SetParagraphNumbering(para.Numbering);
        const int last = m.LineOf(m.length == 0 ? m.start : m.start + m.length - 1);
        for (int i = m.LineOf(m.start); i <= last; ++i)
          m.paras[i] = para;
        break;
      }
      case 7: {
        const std::string s = pick(0, 1) ? "" : "zz";
        doc.AddLine(s);
        m.start = m.size();
        m.length = 0;
        m.Replace(m.text.empty() || m.text.back() == '\n' ? s + "\n" : "\n" + s);
        break;
      }
    }
    ExpectSame(doc, m, step);
    if (::testing::Test::HasFatalFailure()) return;
  }
}

}  // namespace
}  // namespace paginor
