#include "text/layout.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "output/utf8.h"
#include "text/exchange_order.h"

namespace paginor {

namespace {

constexpr double kTabStop = 36;
constexpr double kTabAdvance = 914.22;
constexpr double kSameLineFactor = 0.6;
// A gap on the page of at least this fraction of the font size separates two words; smaller
// gaps and overlaps are kerning or letter spacing.
constexpr double kWordGapFraction = 0.1;
// Beside raised or lowered text (its baseline this fraction of the size away), a smaller gap
// separates words.
constexpr double kShiftedBaseline = 0.1;
constexpr double kShiftedWordGap = 0.05;

bool IsTextRun(const TTextItem& run) {
  return !run.CharWidths.empty();
}

bool IsWordGap(double gap, double size) {
  return gap >= kWordGapFraction * size;
}

// Where the run ends on the page: its start plus every advance and spacing.
double PageEnd(const TTextItem& run) {
  double end = run.X;
  for (std::size_t i = 0; i < run.Text.size(); ++i) {
    if (i < run.CharWidths.size()) end += run.CharWidths[i];
    if (i < run.Spacing.size()) end += run.Spacing[i];
  }
  return end;
}

bool IsBlank(char32_t c) {
  return c == ' ' || c == '\t';
}

// Moves the runs at `places` (ascending) into the order the exchange procedure gives them
// with these keys, one per place.
void PlaceInExchangeOrder(TDynaArray<TTextItem>& runs, const std::vector<int>& places,
                          const std::vector<double>& keys) {
  const std::vector<int> order = ExchangeOrder(keys);
  std::vector<TTextItem> moved;
  moved.reserve(places.size());
  for (const int k : order)
    moved.push_back(std::move(runs[places[static_cast<std::size_t>(k)]]));
  for (std::size_t k = 0; k < places.size(); ++k)
    runs[places[k]] = std::move(moved[k]);
}

double Baseline(const TTextItem& run) {
  return run.Y - run.LineHeight;
}

// The first ordering: higher runs first (a.Y > b.Y is "before"), or higher baselines.
void OrderByHeight(TDynaArray<TTextItem>& runs, bool baselines) {
  std::vector<int> places(static_cast<std::size_t>(runs.Count()));
  std::vector<double> keys(places.size());
  for (int i = 0; i < runs.Count(); ++i) {
    places[static_cast<std::size_t>(i)] = i;
    keys[static_cast<std::size_t>(i)] = baselines ? -Baseline(runs[i]) : -runs[i].Y;
  }
  PlaceInExchangeOrder(runs, places, keys);
}

// Numbers the lines of runs ordered by their baselines: a run joins the line when its
// baseline lies within half the larger size of the line's main baseline, that of its largest
// run so far.
void NumberLinesByBaseline(TDynaArray<TTextItem>& runs) {
  int32_t line = 0;
  double main_baseline = 0;
  double main_size = 0;
  for (int i = 0; i < runs.Count(); ++i) {
    TTextItem& run = runs[i];
    const double baseline = Baseline(run);
    const bool same_line =
        i > 0 && std::fabs(baseline - main_baseline) <= 0.5 * std::max(main_size, run.Size);
    if (i > 0 && !same_line) ++line;
    if (!same_line || run.Size > main_size) {
      main_baseline = baseline;
      main_size = run.Size;
    }
    run.Line = line;
  }
}

// The second ordering: a run comes before another of the same line that starts further
// right. Runs of different lines are never exchanged, so each line is ordered on its own in
// the places it holds.
void OrderWithinLines(TDynaArray<TTextItem>& runs) {
  std::map<int32_t, std::vector<int>> places_of_line;
  for (int i = 0; i < runs.Count(); ++i)
    places_of_line[runs[i].Line].push_back(i);
  std::vector<double> keys;
  for (const auto& [line, places] : places_of_line) {
    if (places.size() < 2) continue;
    keys.resize(places.size());
    for (std::size_t k = 0; k < places.size(); ++k)
      keys[k] = runs[places[k]].X;
    PlaceInExchangeOrder(runs, places, keys);
  }
}

// A run's size as the document's whole points. Sizes come from the file: NaN and sizes no
// font has must not overflow the conversion.
int WholePoints(double size) {
  const double points = RoundEven(size);
  if (!(points >= 0)) return 0;
  return points > 1e6 ? 1000000 : static_cast<int>(points);
}

std::string Format15(double value) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.15g", value);
  return buffer;
}

class PageWriter {
 public:
  PageWriter(const TLayoutOptions& options, TMeasureFont& font, TRichDocument& document,
             TCaps* caps)
      : options_(options),
        font_(font),
        document_(document),
        caps_(caps),
        limits_(caps != nullptr ? caps->Limits : kDefaultLimits) {}

  void Write(TDynaArray<TTextItem>& runs, double page_height, double min_x) {
    min_x_ = min_x;
    page_top_ = page_height;
    for (int index = 0; index < runs.Count(); ++index) {
      if (!TextRoom()) return;
      const TTextItem& run = runs[index];
      const bool first = index == 0;
      std::u32string t = Expand(run);
      if (first) {
        font_.SetSize(run.Size);
        document_.SetSelAttributesSize(WholePoints(run.Size));
        if (options_.VertLayCheck) AddEmptyLines((page_top_ - run.Y) / BlankHeight());
      }
      if (first || run.Line == prev_line_) {
        ContinueParagraph(run, first ? nullptr : &runs[index - 1], t);
      } else {
        StartParagraph(run, t);
      }
      if (!t.empty()) ends_blank_ = IsBlank(t.back());
      last_y_ = run.Y;
      prev_line_ = run.Line;
    }
    if (options_.VertLayCheck) AddEmptyLines(page_top_ / BlankHeight());
  }

 private:
  static inline const TCapLimits kDefaultLimits{};

  void Reached(TCap cap) const {
    if (caps_ != nullptr) caps_->Reached(cap);
  }

  // Whether the document may grow further; the text of the whole conversion is capped.
  bool TextRoom(std::size_t more = 0) const {
    if (document_.TextLength() + static_cast<int64_t>(more) < limits_.DocumentTextLength) {
      return true;
    }
    Reached(TCap::Document);
    return false;
  }

  double BlankWidth() const { return font_.MeasuredWidth(U" "); }
  double BlankHeight() const { return font_.MeasuredHeight(); }
  // The measured width of n blanks: whole pixels added up, then in points.
  double BlanksWidth(int64_t n) const {
    return static_cast<double>(n * font_.TextWidthPixels(U" ")) * 72.0 / font_.ScreenDpi();
  }

  void AddEmptyLines(double lines) {
    if (!(lines >= 1)) return;  // also no lines for NaN or an infinite quotient
    const auto wanted = static_cast<int64_t>(std::trunc(std::min(lines, 1e9)));
    if (wanted > limits_.EmptyLines) Reached(TCap::EmptyLines);
    const int64_t k = std::min(wanted, limits_.EmptyLines);
    for (int64_t i = 0; i < k && TextRoom(); ++i)
      document_.AddLine("");
  }

  // The run's text with its inner word gaps (character and word spacing, TJ offsets) as
  // blanks: at least one where the page separates two words, as many as the measuring font
  // needs to span the gap, and none inside a word. What does not make a whole blank is carried
  // to the next word gap.
  std::u32string Expand(const TTextItem& run) {
    std::u32string t;
    t.reserve(run.Text.size());
    // A blank that takes no room on the page separates nothing and is left out.
    const auto kept_blank = [&run](std::size_t i) {
      return run.Text[i] == ' ' &&
             (i >= run.CharWidths.size() || i >= run.Spacing.size() ||
              IsWordGap(std::fabs(run.CharWidths[i] + run.Spacing[i]), run.Size));
    };
    for (std::size_t i = 0; i < run.Text.size() && TextRoom(t.size()); ++i) {
      if (run.Text[i] == ' ' && !kept_blank(i)) continue;
      t += run.Text[i];
      if (i >= run.Spacing.size() || !IsWordGap(run.Spacing[i], run.Size)) continue;
      carry_ += run.Spacing[i];
      int64_t blanks = 0;
      while (blanks < limits_.Blanks && BlanksWidth(blanks + 1) < carry_)
        ++blanks;
      if (blanks == limits_.Blanks && BlanksWidth(blanks + 1) < carry_) Reached(TCap::Blanks);
      const bool blank_beside =
          run.Text[i] == ' ' || (i + 1 < run.Text.size() && kept_blank(i + 1));
      if (blanks == 0 && !blank_beside) blanks = 1;
      t.append(static_cast<std::size_t>(blanks), U' ');
      carry_ = std::max(0.0, carry_ - BlanksWidth(blanks));
      if (blanks == limits_.Blanks) carry_ = 0;  // a gap no page has: drop the rest
    }
    return t;
  }

  // The smallest number of blanks whose width and `start` reach x.
  std::u32string BlanksTo(double x, double start) const {
    const double blank = BlankWidth();
    if (!(blank > 0) || !(x > start)) return {};  // also nothing for a NaN position
    int64_t b = static_cast<int64_t>(std::min(std::floor((x - start) / blank), 1e9));
    if (b < 0) b = 0;
    while (b > 0 && BlanksWidth(b - 1) + start >= x)
      --b;
    while (b < limits_.Blanks && BlanksWidth(b) + start < x)
      ++b;
    if (b > limits_.Blanks || (b == limits_.Blanks && BlanksWidth(b) + start < x)) {
      Reached(TCap::Blanks);
    }
    return std::u32string(static_cast<std::size_t>(std::min(b, limits_.Blanks)), U' ');
  }

  // Tabs in front of t for a run at offset from the left edge; returns TabOffset.
  double PutTabs(double offset, std::u32string& t) {
    if (!options_.TabsCheck) return 0;
    const double n = RoundEven(offset / kTabStop);
    const double tab_offset = std::max(0.0, n * kTabAdvance);
    if (n > 0) {
      if (n > static_cast<double>(limits_.Blanks)) Reached(TCap::Blanks);
      const auto tabs = static_cast<std::size_t>(std::min(n, static_cast<double>(limits_.Blanks)));
      t.insert(0, tabs, U'\t');
      line_width_ += n * (kTabAdvance - font_.MeasuredWidth(U"\t"));
    }
    return tab_offset;
  }

  void Count(const std::u32string& t) {
    line_width_ += font_.MeasuredWidth(t);
    max_height_ = std::max(max_height_, font_.MeasuredHeight());
  }

  // Whether the page separates the run from the one before it on its line by a word gap;
  // nothing when either is an image link or the run begins the page.
  std::optional<bool> WordGapBefore(const TTextItem& run, const TTextItem* previous) const {
    if (previous == nullptr || !IsTextRun(run) || !IsTextRun(*previous)) return std::nullopt;
    const double gap = run.X - PageEnd(*previous);
    if (IsWordGap(gap, previous->Size)) return true;
    // Raised or lowered text (a footnote mark, an exponent) ends a word where a gap, however
    // small, follows it: "Gal*, Eich*" are words with their marks.
    if (options_.BaselineLines) {
      const double shift = std::fabs(Baseline(run) - Baseline(*previous));
      const double smaller = std::min(run.Size, previous->Size);
      if (shift > kShiftedBaseline * std::max(run.Size, previous->Size) &&
          gap > kShiftedWordGap * smaller) {
        return true;
      }
    }
    return false;
  }

  void ContinueParagraph(const TTextItem& run, const TTextItem* previous, std::u32string& t) {
    font_.SetSize(run.Size);
    const std::optional<bool> word_gap = WordGapBefore(run, previous);
    const bool blank_beside = ends_blank_ || (!t.empty() && IsBlank(t.front()));
    if (word_gap == false) {
      // One word: neither a wider nor a narrower measuring font splits or pads it.
    } else if (options_.HorzLayCheck) {
      const double tab_offset = PutTabs(run.X - min_x_ - line_width_, t);
      if (Format15(run.X - min_x_ - tab_offset) != Format15(line_width_)) {
        t.insert(0, BlanksTo(run.X, line_width_ + min_x_ + tab_offset));
      }
      if (word_gap == true && !blank_beside && (t.empty() || !IsBlank(t.front())))
        t.insert(0, 1, U' ');
    } else if (word_gap == true && !blank_beside) {
      t.insert(0, 1, U' ');
    }
    Count(t);
    document_.SetSelAttributesSize(WholePoints(run.Size));
    document_.SetSelText(ToUtf8(t));
  }

  void StartParagraph(const TTextItem& run, std::u32string& t) {
    font_.SetSize(run.Size);
    if (options_.VertLayCheck) AddEmptyLines((last_y_ - max_height_ - run.Y) / BlankHeight());
    page_top_ = run.Y - max_height_;
    max_height_ = 0;
    line_width_ = 0;
    if (options_.HorzLayCheck) {
      const double tab_offset = PutTabs(run.X - min_x_, t);
      t.insert(0, BlanksTo(run.X, min_x_ + tab_offset));
      Count(t);
    }
    document_.SetSelAttributesSize(WholePoints(run.Size));
    document_.AddLine("");
    document_.SetSelText(ToUtf8(t));
  }

  const TLayoutOptions& options_;
  TMeasureFont& font_;
  TRichDocument& document_;
  TCaps* caps_;
  const TCapLimits& limits_;
  double min_x_ = 0;
  double page_top_ = 0;
  double last_y_ = 0;
  double line_width_ = 0;
  double max_height_ = 0;
  double carry_ = 0;
  bool ends_blank_ = false;  // the text written last ends with a blank or a tab
  int32_t prev_line_ = 0;
};

}  // namespace

void OrderPageRuns(TDynaArray<TTextItem>& runs, bool baseline_lines) {
  OrderByHeight(runs, baseline_lines);
  if (baseline_lines) {
    NumberLinesByBaseline(runs);
    OrderWithinLines(runs);
    return;
  }
  int32_t line = 0;
  double last_y = 0;
  double last_height = 0;
  for (int i = 0; i < runs.Count(); ++i) {
    TTextItem& run = runs[i];
    const bool same_line = i > 0 && last_y - kSameLineFactor * last_height <= run.Y &&
                           run.Y - kSameLineFactor * run.LineHeight <= last_y;
    if (i > 0 && !same_line) ++line;
    if (i == 0 || !same_line) {
      last_y = run.Y;
      last_height = run.LineHeight;
    }
    run.Line = line;
  }
  OrderWithinLines(runs);
}

void LayoutPage(TDynaArray<TTextItem>& runs, double page_height, const TLayoutOptions& options,
                TMeasureFont& font, TRichDocument& document, TDynaArray<TTextItem>& text_items,
                TCaps* caps) {
  double min_x = 0;
  if (runs.Count() > 0 && options.StartWTCheck) {
    min_x = runs[0].X;
    for (const TTextItem& run : runs)
      min_x = std::min(min_x, run.X);
    if (min_x < 0) min_x = 0;
  }
  OrderPageRuns(runs, options.BaselineLines);
  PageWriter(options, font, document, caps).Write(runs, page_height, min_x);
  text_items.AppendAll(std::move(runs));
}

}  // namespace paginor
