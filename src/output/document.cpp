#include "output/document.h"

#include "output/utf8.h"

#include <algorithm>

namespace paginor {
namespace {

TTextAttributes Limited(TTextAttributes a) {
  if (a.Name.size() > kMaxFontNameLength) a.Name.resize(kMaxFontNameLength);
  return a;
}

}  // namespace

TRichDocument::TRichDocument() {
  Clear();
}

void TRichDocument::Clear() {
  text_.clear();
  breaks_.clear();
  paras_.assign(1, TParaAttributes{});
  runs_.clear();
  attrs_.clear();
  attr_ids_.clear();
  insertion_ = default_font_;
  insertion_id_ = -1;
  sel_start_ = 0;
  sel_length_ = 0;
}

int TRichDocument::LineCount() const {
  const auto breaks = static_cast<int>(breaks_.size());
  const bool last_line_empty = text_.empty() || text_.back() == '\n';
  return last_line_empty ? breaks : breaks + 1;
}

int64_t TRichDocument::LineStart(int i) const {
  if (i <= 0) return 0;
  const auto index = std::min(static_cast<std::size_t>(i), breaks_.size());
  return index == 0 ? 0 : breaks_[index - 1] + 1;
}

int64_t TRichDocument::LineEnd(int i) const {
  if (i < 0) return 0;
  const auto index = static_cast<std::size_t>(i);
  return index < breaks_.size() ? breaks_[index] : TextLength();
}

std::string TRichDocument::Line(int i) const {
  if (i < 0 || i >= LineTotal()) return {};
  const int64_t start = LineStart(i);
  return text_.substr(static_cast<std::size_t>(start),
                      static_cast<std::size_t>(LineEnd(i) - start));
}

int TRichDocument::LineOf(int64_t p) const {
  // The breaks before p end the lines before p's line.
  return static_cast<int>(std::lower_bound(breaks_.begin(), breaks_.end(), p) - breaks_.begin());
}

TParaAttributes TRichDocument::LineParagraph(int i) const {
  if (i < 0 || i >= LineTotal()) return {};
  return paras_[static_cast<std::size_t>(i)];
}

void TRichDocument::AddLine(std::string_view text) {
  std::string repaired;
  const std::string_view s = ValidUtf8(text, repaired);
  // The empty last line starts at the end, so both cases append.
  std::string added;
  const bool last_line_empty = text_.empty() || text_.back() == '\n';
  if (last_line_empty) {
    added.append(s);
    added += '\n';
  } else {
    added += '\n';
    added.append(s);
  }
  Insert(TextLength(), added, InsertionId());
  sel_start_ = TextLength();
  sel_length_ = 0;
}

// Whether position p lies inside a character, after the first byte of its UTF-8 sequence.
bool TRichDocument::InsideACharacter(int64_t p) const {
  return p > 0 && p < TextLength() &&
         (static_cast<unsigned char>(text_[static_cast<std::size_t>(p)]) & 0xC0) == 0x80;
}

void TRichDocument::SetSelStart(int64_t p) {
  sel_start_ = std::clamp<int64_t>(p, 0, TextLength());
  while (InsideACharacter(sel_start_))
    --sel_start_;
  sel_length_ = 0;
}

void TRichDocument::SetSelLength(int64_t n) {
  sel_length_ = std::clamp<int64_t>(n, 0, TextLength() - sel_start_);
  while (InsideACharacter(sel_start_ + sel_length_))
    ++sel_length_;
}

std::string TRichDocument::SelText() const {
  return text_.substr(static_cast<std::size_t>(sel_start_), static_cast<std::size_t>(sel_length_));
}

void TRichDocument::SetSelText(std::string_view text) {
  std::string repaired;
  const std::string_view s = ValidUtf8(text, repaired);
  const uint32_t attr = InsertionId();
  Erase(sel_start_, sel_length_);
  Insert(sel_start_, s, attr);
  sel_start_ += static_cast<int64_t>(s.size());
  sel_length_ = 0;
}

TTextAttributes TRichDocument::SelAttributes() const {
  if (sel_length_ == 0) return insertion_;
  return AttributesAt(sel_start_);
}

template <typename Change>
void TRichDocument::ChangeSelectedAttributes(Change change) {
  if (sel_length_ == 0) {
    change(insertion_);
    insertion_ = Limited(std::move(insertion_));
    insertion_id_ = -1;
    return;
  }
  const std::size_t first = SplitAt(sel_start_);
  const std::size_t last = SplitAt(sel_start_ + sel_length_);
  for (std::size_t r = first; r < last; ++r) {
    TTextAttributes a = attrs_[runs_[r].attr];
    change(a);
    runs_[r].attr = Intern(Limited(std::move(a)));
  }
  MergeRuns(first, last + 1);
}

void TRichDocument::SetSelAttributesSize(int n) {
  ChangeSelectedAttributes([n](TTextAttributes& a) { a.Size = n; });
}

void TRichDocument::SetSelAttributes(const TTextAttributes& attributes) {
  ChangeSelectedAttributes([&attributes](TTextAttributes& a) { a = attributes; });
}

TParaAttributes TRichDocument::Paragraph() const {
  return LineParagraph(LineOf(sel_start_));
}

template <typename Change>
void TRichDocument::ChangeSelectedParagraphs(Change change) {
  const int first = LineOf(sel_start_);
  const int last = sel_length_ == 0 ? first : LineOf(sel_start_ + sel_length_ - 1);
  for (int i = first; i <= last; ++i)
    change(paras_[static_cast<std::size_t>(i)]);
}

void TRichDocument::SetParagraphAlignment(TAlignment a) {
  ChangeSelectedParagraphs([a](TParaAttributes& p) { p.Alignment = a; });
}

void TRichDocument::SetParagraphNumbering(TNumbering n) {
  ChangeSelectedParagraphs([n](TParaAttributes& p) { p.Numbering = n; });
}

void TRichDocument::SetDefaultFont(const TTextAttributes& a) {
  default_font_ = Limited(a);
}

TAttributeRun TRichDocument::RunAt(int64_t p) const {
  if (runs_.empty()) return {0, 0, insertion_};
  const std::size_t r = RunIndexAt(p);
  const int64_t end = r + 1 < runs_.size() ? runs_[r + 1].start : TextLength();
  return {runs_[r].start, end, attrs_[runs_[r].attr]};
}

const TTextAttributes& TRichDocument::AttributesAt(int64_t p) const {
  if (runs_.empty()) return insertion_;
  return attrs_[runs_[RunIndexAt(p)].attr];
}

uint32_t TRichDocument::Intern(const TTextAttributes& a) {
  const auto [it, added] = attr_ids_.try_emplace(a, static_cast<uint32_t>(attrs_.size()));
  if (added) attrs_.push_back(a);
  return it->second;
}

uint32_t TRichDocument::InsertionId() {
  if (insertion_id_ < 0) insertion_id_ = Intern(insertion_);
  return static_cast<uint32_t>(insertion_id_);
}

// The last run that starts at or before p; runs_ is not empty.
std::size_t TRichDocument::RunIndexAt(int64_t p) const {
  const auto after = std::upper_bound(runs_.begin(), runs_.end(), p,
                                      [](int64_t pos, const Run& r) { return pos < r.start; });
  return after == runs_.begin() ? 0 : static_cast<std::size_t>(after - runs_.begin()) - 1;
}

// Makes a run start at p and returns its index; runs_.size() for p at the end of the text.
std::size_t TRichDocument::SplitAt(int64_t p) {
  if (p >= TextLength()) return runs_.size();
  if (p <= 0) return 0;
  const std::size_t r = RunIndexAt(p);
  if (runs_[r].start == p) return r;
  runs_.insert(runs_.begin() + static_cast<std::ptrdiff_t>(r) + 1, Run{p, runs_[r].attr});
  return r + 1;
}

// Joins equal neighbours among the runs from..to (indices, clamped), and the run before.
void TRichDocument::MergeRuns(std::size_t from, std::size_t to) {
  from = std::max<std::size_t>(from, 1);
  to = std::min(to, runs_.size());
  if (from >= to) return;
  std::size_t kept = from;
  for (std::size_t r = from; r < to; ++r) {
    if (runs_[r].attr != runs_[kept - 1].attr) runs_[kept++] = runs_[r];
  }
  runs_.erase(runs_.begin() + static_cast<std::ptrdiff_t>(kept),
              runs_.begin() + static_cast<std::ptrdiff_t>(to));
}

void TRichDocument::Insert(int64_t p, std::string_view s, uint32_t attr) {
  if (s.empty()) return;
  const auto n = static_cast<int64_t>(s.size());

  // Lines: the line that holds p is split at every inserted break; its parts keep its
  // paragraph attributes.
  const auto line = static_cast<std::size_t>(LineOf(p));
  std::vector<int64_t> added;
  for (std::size_t k = s.find('\n'); k != std::string_view::npos; k = s.find('\n', k + 1)) {
    added.push_back(p + static_cast<int64_t>(k));
  }
  for (std::size_t b = line; b < breaks_.size(); ++b)
    breaks_[b] += n;
  breaks_.insert(breaks_.begin() + static_cast<std::ptrdiff_t>(line), added.begin(), added.end());
  const TParaAttributes para = paras_[line];
  paras_.insert(paras_.begin() + static_cast<std::ptrdiff_t>(line) + 1, added.size(), para);

  // Runs.
  const std::size_t r = SplitAt(p);
  for (std::size_t k = r; k < runs_.size(); ++k)
    runs_[k].start += n;
  runs_.insert(runs_.begin() + static_cast<std::ptrdiff_t>(r), Run{p, attr});
  if (p == TextLength()) {
    text_.append(s);  // grows geometrically: appending is what the layout does all the time
  } else {
    text_.insert(static_cast<std::size_t>(p), s);
  }
  MergeRuns(r, r + 2);
}

void TRichDocument::Erase(int64_t p, int64_t n) {
  if (n <= 0) return;
  const std::size_t first_run = SplitAt(p);
  const std::size_t last_run = SplitAt(p + n);
  runs_.erase(runs_.begin() + static_cast<std::ptrdiff_t>(first_run),
              runs_.begin() + static_cast<std::ptrdiff_t>(last_run));
  for (std::size_t k = first_run; k < runs_.size(); ++k)
    runs_[k].start -= n;

  // Lines: the lines whose breaks go join the line that holds p, which keeps its attributes.
  const auto line = static_cast<std::size_t>(LineOf(p));
  const auto gone_end = static_cast<std::size_t>(
      std::lower_bound(breaks_.begin(), breaks_.end(), p + n) - breaks_.begin());
  breaks_.erase(breaks_.begin() + static_cast<std::ptrdiff_t>(line),
                breaks_.begin() + static_cast<std::ptrdiff_t>(gone_end));
  paras_.erase(paras_.begin() + static_cast<std::ptrdiff_t>(line) + 1,
               paras_.begin() + static_cast<std::ptrdiff_t>(gone_end) + 1);
  for (std::size_t b = line; b < breaks_.size(); ++b)
    breaks_[b] -= n;

  text_.erase(static_cast<std::size_t>(p), static_cast<std::size_t>(n));
  MergeRuns(first_run, first_run + 1);
}

}  // namespace paginor
