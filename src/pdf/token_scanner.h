// TTokenScanner: bytes in memory, one read position, and the tokens, lines and literals read
// from it. The document reader scans the whole file with it; content streams and object-stream
// headers are scanned with one of their own.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "pdf/file_buffer.h"

namespace paginor {

// The only white space of the classic scanner: space, CR and LF. Tab, form feed and NUL are
// not.
inline bool IsPdfSpace(unsigned char ch) {
  return ch == ' ' || ch == '\r' || ch == '\n';
}
inline bool IsLineEnd(unsigned char ch) {
  return ch == '\r' || ch == '\n';
}

// Past the end of any file: where a position beyond it is taken to be.
constexpr int64_t kFarPastEnd = int64_t{1} << 60;

class TTokenScanner {
 public:
  TTokenScanner() = default;
  explicit TTokenScanner(std::string bytes);
  TTokenScanner(const TTokenScanner&) = delete;
  TTokenScanner& operator=(const TTokenScanner&) = delete;

  // Replaces the buffer; the cursor goes to its end.
  void LoadBuffer(std::string bytes);
  void LoadBuffer(TFileBuffer bytes);
  void ReleaseBuffer();
  std::string_view Buffer() const { return buffer_; }
  int64_t Size() const { return static_cast<int64_t>(buffer_.size()); }

  // The cursor may stand past the end; it never goes below 0, nor so far past the end that
  // moving on from a position the file names could overflow.
  void SetPos(int64_t pos) { cursor_ = pos < 0 ? 0 : std::min(pos, kFarPastEnd); }
  int64_t GetPos() const { return cursor_; }
  bool PastEnd() const { return cursor_ > Size(); }

  // Copies up to n bytes from the cursor (fewer at the end of the data); the cursor
  // advances by n in every case.
  std::string ReadBytes(int64_t n);
  // The byte at the cursor; past the end a filler: CR at even distances from the end, the
  // grave accent at odd ones, so tokens end there and white-space skipping stops.
  unsigned char ReadByteSafe();
  // Reads len(s) bytes and compares; the cursor advances by len(s) either way.
  bool MatchLiteral(std::string_view s);

  // Line operations, used at the end of the file.
  void BackToLineStart();
  void SkipToNextLine();
  bool PrecededByLineEnd() const;
  std::string ReadLine();
  int32_t ReadLineInt();

  std::string ReadToken();
  int32_t ReadTokenInt();
  // Moves over blanks and line ends (and, for the modern reader, comments) to the next token.
  void SkipWhiteSpace();
  // White space between tokens, by the reader's rules.
  bool IsWhite(unsigned char ch) const;

  // Bytes of the file itself; what follows was written out of object streams.
  int64_t FileSize() const { return file_size_; }
  // Appends bytes after the file (and what was appended before); returns where they start.
  int64_t AppendToBuffer(std::string_view bytes);

  // PDF's own white space: tab and form feed too, and comments read over.
  void SetPdfWhiteSpace(bool on) { pdf_white_space_ = on; }

 private:
  TFileBuffer buffer_;
  int64_t cursor_ = 0;
  int64_t file_size_ = 0;
  bool pdf_white_space_ = false;
};

// Keeps the scanner's cursor for the length of a scope: a lookup in the middle of a read puts it
// back where it was.
class TSavedCursor {
 public:
  explicit TSavedCursor(TTokenScanner& reader) : reader_(reader), pos_(reader.GetPos()) {}
  ~TSavedCursor() { reader_.SetPos(pos_); }
  TSavedCursor(const TSavedCursor&) = delete;
  TSavedCursor& operator=(const TSavedCursor&) = delete;

 private:
  TTokenScanner& reader_;
  int64_t pos_;
};

}  // namespace paginor
