#include "text/layout.h"
#include "output/utf8.h"

#include <gtest/gtest.h>

#include <map>

#include "support/fake_font.h"

namespace paginor {
namespace {

// The fake font at size 12: a blank is 6 points wide and 14 points high.
TTextItem MakeRun(const std::string& text, double x, double y, std::vector<double> spacing = {}) {
  TTextItem run;
  run.Text = FromUtf8(text);
  run.X = x;
  run.Y = y;
  run.Size = 12;
  run.LineHeight = 14;
  run.Page = 1;
  run.Spacing = spacing.empty() ? std::vector<double>(run.Text.size(), 0.0) : std::move(spacing);
  run.CharWidths.assign(run.Text.size(), 6.0);
  return run;
}

struct Layout {
  std::unique_ptr<TMeasureFont> font = testing::MakeFakeFont();
  TRichDocument document;
  TDynaArray<TTextItem> items;
  TLayoutOptions options;

  Layout() { options.VertLayCheck = false; }

  std::string Page(std::vector<TTextItem> runs, double height = 842) {
    TDynaArray<TTextItem> page;
    for (TTextItem& run : runs)
      *page.Append() = std::move(run);
    LayoutPage(page, height, options, *font, document, items);
    EXPECT_EQ(page.Count(), 0);
    return document.Text();
  }

  std::vector<int> Lines() const {
    std::vector<int> lines;
    for (const TTextItem& item : items)
      lines.push_back(item.Line);
    return lines;
  }
};

TEST(Layout, RunsJoinALineWhenTheirTopsAreClose) {
  const struct {
    std::vector<double> ys;
    std::vector<int> lines;
  } cases[] = {{{700, 698}, {0, 0}}, {{700, 690}, {0, 1}}, {{700, 694, 688}, {0, 0, 1}}};
  for (const auto& c : cases) {
    Layout layout;
    std::vector<TTextItem> runs;
    double x = 0;
    for (double y : c.ys)
      runs.push_back(MakeRun("a", x += 50, y));
    layout.Page(runs);
    EXPECT_EQ(layout.Lines(), c.lines);
  }
}

TEST(Layout, BaselineLinesKeepScriptsAndMixedSizesOnTheirLine) {
  // A run of the given size on a baseline; its line is 1.2 times its size high.
  const auto on_baseline = [](const std::string& text, double x, double baseline, double size) {
    TTextItem run = MakeRun(text, x, 0);
    run.Size = size;
    run.LineHeight = 1.2 * size;
    run.Y = baseline + run.LineHeight;
    return run;
  };
  const struct {
    const char* name;
    std::vector<TTextItem> runs;
    std::vector<int> lines;  // in the order of the runs given
  } cases[] = {
      {"superscript and subscript",
       {on_baseline("E", 0, 700, 10), on_baseline("2", 10, 704, 7), on_baseline("i", 20, 698, 7),
        on_baseline("next", 0, 688, 10)},
       {0, 0, 0, 1}},
      {"a drop cap and its line",
       {on_baseline("D", 0, 700, 30), on_baseline("rop", 30, 700, 10)},
       {0, 0}},
      {"tight leading", {on_baseline("a", 0, 700, 10), on_baseline("b", 0, 690, 10)}, {0, 1}},
  };
  for (const auto& c : cases) {
    Layout layout;
    layout.options.BaselineLines = true;
    layout.Page(c.runs);
    std::map<std::string, int> line_of;
    for (const TTextItem& item : layout.items)
      line_of[ToUtf8(item.Text)] = item.Line;
    std::vector<int> lines;
    for (const TTextItem& run : c.runs)
      lines.push_back(line_of[ToUtf8(run.Text)]);
    EXPECT_EQ(lines, c.lines) << c.name;
  }
  // By the tops of their lines the drop cap stands alone.
  Layout tops;
  tops.Page({on_baseline("D", 0, 700, 30), on_baseline("rop", 30, 700, 10)});
  EXPECT_EQ(tops.Lines(), (std::vector<int>{0, 1}));
}

TEST(Layout, OrdersTopToBottomAndLeftToRight) {
  Layout layout;
  layout.options.HorzLayCheck = false;
  EXPECT_EQ(layout.Page({MakeRun("c", 10, 600), MakeRun("b", 200, 700), MakeRun("a", 10, 700)}),
            "a b\nc");
  ASSERT_EQ(layout.items.Count(), 3);
  EXPECT_EQ(layout.items[0].Text, U"a");  // the handed-over runs keep the final order
}

TEST(Layout, BlanksReproduceHorizontalGaps) {
  const struct {
    const char* name;
    bool start_at_text;
    std::vector<TTextItem> runs;
    std::string text;
  } cases[] = {
      {"gap of 30 points", true, {MakeRun("ab", 72, 700), MakeRun("cd", 114, 700)}, "ab     cd"},
      {"gap of 31 points", true, {MakeRun("ab", 72, 700), MakeRun("cd", 115, 700)}, "ab      cd"},
      {"adjacent", true, {MakeRun("ab", 72, 700), MakeRun("cd", 84, 700)}, "abcd"},
      {"overlapping", true, {MakeRun("ab", 72, 700), MakeRun("cd", 80, 700)}, "abcd"},
      {"indent from the leftmost run",
       true,
       {MakeRun("a", 72, 700), MakeRun("b", 84, 680)},
       "a\n  b"},
      {"indent from the page edge", false, {MakeRun("a", 72, 700)}, std::string(12, ' ') + "a"},
  };
  for (const auto& c : cases) {
    Layout layout;
    layout.options.StartWTCheck = c.start_at_text;
    EXPECT_EQ(layout.Page(c.runs), c.text) << c.name;
  }
  Layout off;
  off.options.HorzLayCheck = false;
  // Without the layout imitation a word gap still gets its one blank.
  EXPECT_EQ(off.Page({MakeRun("ab", 72, 700), MakeRun("cd", 300, 700), MakeRun("ef", 312, 700),
                      MakeRun("g", 400, 650)}),
            "ab cdef\ng");
}

// The fake font, with characters outside Windows-1252 twice as wide as the others.
class WideScriptMetrics final : public TFontMetricsSource {
 public:
  std::array<int, 256> Advances(int pixel_height) override { return fake_.Advances(pixel_height); }
  int Advance(char32_t, int pixel_height) override {
    ++asked;
    return pixel_height;
  }
  int LineHeight(int pixel_height) override { return fake_.LineHeight(pixel_height); }
  int ScreenDpi() override { return 72; }
  int asked = 0;

 private:
  testing::FakeMetrics fake_;
};

TEST(Layout, EveryScriptMeasuresWithTheMeasuringFont) {
  Layout layout;
  auto metrics = std::make_unique<WideScriptMetrics>();
  const WideScriptMetrics& source = *metrics;
  layout.font = std::make_unique<TMeasureFont>(std::move(metrics));
  // "中文" measures 24 points, so 6 blanks of 6 reach 72 + 60; as two "?" it would take 8.
  EXPECT_EQ(layout.Page({MakeRun("中文", 72, 700), MakeRun("Łx", 132, 700)}), "中文      Łx");
  // Each character outside the code page is asked for once per height: 中, 文 and Ł.
  EXPECT_EQ(source.asked, 3);
}

TEST(Layout, TabsIndentAndLaterRunsGetOneBlankEach) {
  Layout layout;
  layout.options.TabsCheck = true;
  layout.options.StartWTCheck = false;
  EXPECT_EQ(layout.Page({MakeRun("a", 0, 700), MakeRun("b", 72, 680), MakeRun("c", 200, 680),
                         MakeRun("d", 10, 660)}),
            "a\n\t\tb c\n  d");  // 10 points right of the edge: no tab, two blanks
}

TEST(Layout, EmptyLinesReproduceVerticalGaps) {
  Layout layout;
  layout.options.VertLayCheck = true;
  // Three empty lines above (Trunc(42 / 14)); between the lines Trunc((800 - 14 - 730) / 14)
  // = 4; at the bottom Trunc((730 - 14) / 14) = 51.
  const std::string text = layout.Page({MakeRun("a", 0, 800), MakeRun("b", 0, 730)});
  EXPECT_EQ(text, "\n\n\na\n\n\n\n\nb" + std::string(51, '\n'));
}

TEST(Layout, PagesFollowEachOtherWithoutVerticalLayout) {
  Layout layout;
  layout.Page({MakeRun("eins", 0, 700)});
  EXPECT_EQ(layout.Page({MakeRun("zwei", 0, 700)}), "einszwei");
  EXPECT_EQ(layout.items.Count(), 2);
}

// The fake font at size 12 measures a blank as 6 points; the page's word gap begins at 1.2
// points (a tenth of the size 12).
TEST(Layout, ThePageDecidesWhereWordsEnd) {
  const struct {
    const char* name;
    std::vector<TTextItem> runs;
    std::string text;
  } cases[] = {
      // Inside a run: Tc, Tw and TJ offsets.
      {"TJ gap of 0.9 blank widths", {MakeRun("abc", 0, 700, {5.4, 0, 0})}, "a bc"},
      {"TJ gap of 1.9 blank widths", {MakeRun("abc", 0, 700, {11.4, 0, 0})}, "a bc"},
      {"TJ gap of 2.5 blank widths", {MakeRun("abc", 0, 700, {15, 0, 0})}, "a  bc"},
      {"kerning", {MakeRun("abc", 0, 700, {-0.8, 0.5, 0})}, "abc"},
      {"letter spacing adds up to no blank",
       {MakeRun("abcdefgh", 0, 700, std::vector<double>(8, 1.1))},
       "abcdefgh"},
      {"word spacing after a blank", {MakeRun("a b", 0, 700, {0, 3, 0})}, "a b"},
      {"blanks kerned away", {MakeRun("A N", 0, 700, {0, -5.5, 0})}, "AN"},
      {"a word gap before a blank kerned away", {MakeRun("A N", 0, 700, {3, -5.5, 0})}, "A N"},
      {"the remainder goes to the next word gap", {MakeRun("abc", 0, 700, {9, 10, 0})}, "a b  c"},
      // Between runs: the next run's X against where the previous one ends on the page.
      {"measuring font wider than the page",
       {MakeRun("ab", 0, 700, {0, 0}), MakeRun("cd", 13.5, 700)},
       "ab cd"},
      {"measuring font narrower than the page",
       {[] {
          TTextItem run = MakeRun("ab", 0, 700);
          run.CharWidths = {7.5, 7.5};
          return run;
        }(),
        MakeRun("cd", 15.5, 700)},
       "abcd"},
      {"overlap", {MakeRun("ab", 0, 700), MakeRun("cd", 10, 700)}, "abcd"},
      {"trailing TJ gap and an adjacent run",
       {MakeRun("ab", 0, 700, {0, 20}), MakeRun("cd", 32, 700)},
       "ab   cd"},
      {"a blank already there",
       {[] {
          TTextItem run = MakeRun("ab ", 0, 700);
          run.CharWidths = {5, 5, 5};
          return run;
        }(),
        MakeRun("cd", 16.6, 700)},
       "ab cd"},
  };
  for (const auto& c : cases) {
    Layout layout;
    layout.font->SetSize(12);
    EXPECT_EQ(layout.Page(c.runs), c.text) << c.name;
  }
}

TEST(Layout, RaisedMarksEndTheirWordAtTheSmallestGap) {
  // A mark at size 8 raised 4 points after a word at 12: glued to the word before it, and a
  // gap of 0.5 (below a tenth of either size) before the comma ends the word.
  const auto mark = [](double x) {
    TTextItem run = MakeRun("*", x, 700);
    run.Size = 8;
    run.LineHeight = 10;  // baseline 690 against the word's 686
    run.Y = 700;
    run.CharWidths = {4};
    return run;
  };
  const struct {
    const char* name;
    std::vector<TTextItem> runs;
    std::string text;
  } cases[] = {
      {"mark then comma", {MakeRun("Gal", 0, 700), mark(18), MakeRun(",", 22.5, 700)}, "Gal* ,"},
      {"mark glued on both sides",
       {MakeRun("Gal", 0, 700), mark(18), MakeRun(",", 22, 700)},
       "Gal*,"},
  };
  for (const auto& c : cases) {
    Layout layout;
    layout.options.BaselineLines = true;
    layout.font->SetSize(12);
    EXPECT_EQ(layout.Page(c.runs), c.text) << c.name;
    // The classic grouping keeps the page's word gaps alone.
    Layout classic;
    classic.font->SetSize(12);
    EXPECT_EQ(classic.Page(c.runs), "Gal*,") << c.name;
  }
}

TEST(Layout, FirstRunGapsUseTheFontTheInterpreterLeft) {
  Layout layout;  // still at 15 pixels: a blank of 7 points, so 13 points make one
  EXPECT_EQ(layout.Page({MakeRun("abc", 0, 700, {13, 15, 0})}), "a b  c");
}

TEST(Layout, APageWithoutTextGivesOnlyItsEmptyLines) {
  Layout layout;
  layout.options.VertLayCheck = true;
  // The measuring font has not been set: 15 pixels, a line of 17.
  EXPECT_EQ(layout.Page({}), std::string(842 / 17, '\n'));
  Layout off;
  EXPECT_EQ(off.Page({}), "");
}

TEST(Layout, HostileCoordinatesStayBounded) {
  Layout layout;
  layout.options.VertLayCheck = true;
  const std::string text = layout.Page(
      {MakeRun("a", 1e300, 1e300), MakeRun("b", -1e300, -1e300, {1e300}), MakeRun("c", 0, 0)},
      1e308);
  EXPECT_LT(text.size(), 100000u);
}

}  // namespace
}  // namespace paginor
