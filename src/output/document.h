// TRichDocument: the rich text that a conversion produces, a sequence of lines of
// Windows-1252 characters, with a selection and an update counter for its view.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace paginor {

class TRichDocument {
 public:
  // The document becomes one empty line; the selection an empty caret at 0.
  void Clear();
  void BeginUpdate() { ++update_count_; }
  void EndUpdate() {
    if (update_count_ > 0) --update_count_;
  }
  int UpdateCount() const { return update_count_; }

  // Lines, not counting a last line that is empty.
  int LineCount() const;
  // Appends a line holding s: a last empty line takes s and a break, otherwise the last line
  // is closed by a break and s starts the new one. The caret ends after the insertion.
  void AddLine(std::string_view s);
  // Replaces the selection with s; the caret ends just after it.
  void SetSelText(std::string_view s);

  int64_t TextLength() const { return static_cast<int64_t>(text_.size()); }
  int64_t SelStart() const { return sel_start_; }
  int64_t SelLength() const { return sel_length_; }
  // The selection becomes empty at p, clamped to the text.
  void SetSelStart(int64_t p);
  // The selection becomes the n characters from SelStart, clamped to the text.
  void SetSelLength(int64_t n);

  // The whole text; lines are separated by LF.
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
  int64_t sel_start_ = 0;
  int64_t sel_length_ = 0;
  int update_count_ = 0;
};

}  // namespace paginor
