#include "output/document.h"

#include <algorithm>

namespace paginor {

void TRichDocument::Clear() {
  text_.clear();
  sel_start_ = 0;
  sel_length_ = 0;
}

int TRichDocument::LineCount() const {
  const auto breaks = static_cast<int>(std::count(text_.begin(), text_.end(), '\n'));
  const bool last_line_empty = text_.empty() || text_.back() == '\n';
  return last_line_empty ? breaks : breaks + 1;
}

void TRichDocument::AddLine(std::string_view s) {
  const bool last_line_empty = text_.empty() || text_.back() == '\n';
  if (last_line_empty) {
    text_.append(s);
    text_ += '\n';
  } else {
    text_ += '\n';
    text_.append(s);
  }
  sel_start_ = TextLength();
  sel_length_ = 0;
}

void TRichDocument::SetSelText(std::string_view s) {
  text_.replace(static_cast<std::size_t>(sel_start_), static_cast<std::size_t>(sel_length_), s);
  sel_start_ += static_cast<int64_t>(s.size());
  sel_length_ = 0;
}

void TRichDocument::SetSelStart(int64_t p) {
  sel_start_ = std::clamp<int64_t>(p, 0, TextLength());
  sel_length_ = 0;
}

void TRichDocument::SetSelLength(int64_t n) {
  sel_length_ = std::clamp<int64_t>(n, 0, TextLength() - sel_start_);
}

}  // namespace paginor
