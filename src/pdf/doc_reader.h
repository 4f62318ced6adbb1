// TDocReader: one conversion's view of a PDF file. The whole file in memory, one read
// position, the token scanner and dictionary reader over it, the cross-reference table, and
// the lists and flags the reading phases share.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/caps.h"
#include "pdf/dyna_array.h"
#include "pdf/records.h"
#include "pdf/security.h"

namespace paginor {

// The only white space of the scanner: space, CR and LF. Tab, form feed and NUL are not.
inline bool IsPdfSpace(unsigned char ch) {
  return ch == ' ' || ch == '\r' || ch == '\n';
}
inline bool IsLineEnd(unsigned char ch) {
  return ch == '\r' || ch == '\n';
}

class TDocReader {
 public:
  TDocReader();
  explicit TDocReader(std::string bytes);
  TDocReader(const TDocReader&) = delete;
  TDocReader& operator=(const TDocReader&) = delete;

  // Replaces the buffer; the cursor goes to its end and Invalid is cleared.
  void LoadBuffer(std::string bytes);
  void ReleaseBuffer();
  const std::string& Buffer() const { return buffer_; }
  int64_t Size() const { return static_cast<int64_t>(buffer_.size()); }

  // The cursor may stand past the end; it never goes below 0.
  void SetPos(int64_t pos) { cursor_ = pos < 0 ? 0 : pos; }
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

  // Reads the dictionary at the cursor into DictEntries; sets Invalid when it does not start
  // with "<<". Each ReadDict is paired with a FreeDict. Tokens nested deeper than the
  // Nesting cap, and those past the Dictionary cap, are read over but not kept; once the
  // file's dictionaries have given the Document cap's number of tokens, nothing more is read.
  void ReadDict();
  void FreeDict();
  // Right after a stream's dictionary: "stream" and LF or CR LF; the cursor then rests on
  // the first data byte.
  bool AtStreamData();

  // Moves to the body of object n (after "n g obj"). False when n is outside the table.
  bool GotoObject(int32_t num, int32_t gen = 0);
  // Where the body of object n begins, the cursor left where it was; nothing when n is outside
  // the table or listed beyond the end of the data.
  std::optional<int32_t> ObjectBodyPos(int32_t num, int32_t gen = 0);
  int32_t XrefCount() const { return static_cast<int32_t>(XrefTable.size()); }

  std::vector<TXrefEntry> XrefTable;
  TDictEntry* Entry = nullptr;  // bound to DictEntries
  TDynaArray<TDictEntry> DictEntries{&Entry};
  TKidRef* Kid = nullptr;  // bound to Kids
  TDynaArray<TKidRef> Kids{&Kid};
  TPageRec* Page = nullptr;  // bound to Pages
  TDynaArray<TPageRec> Pages{&Page};
  TContentRef* ContentRef = nullptr;  // bound by every page's Contents

  bool Invalid = false;
  bool Encrypted = false;
  bool RootFound = false;
  bool PagesFound = false;
  int32_t RootNum = 0, RootGen = 0;
  int32_t EncryptNum = 0, EncryptGen = 0;
  int32_t PagesNum = 0, PagesGen = 0;

  TSecurityHandler Security;

  // "Moderne und beschädigte PDF-Dateien lesen": cross-reference streams, object streams,
  // repair, inherited page attributes, every standard encryption, more filters.
  bool Modern = false;
  // The table had to be rebuilt by scanning the file.
  bool Repaired = false;
  // Objects stored in object streams, until ExpandObjectStreams writes them out.
  struct TCompressedRef {
    int32_t ObjNum = 0;
    int32_t StreamNum = 0;
    int32_t Index = 0;
  };
  std::vector<TCompressedRef> Compressed;
  // The parent node of every page tree node and page, for inherited attributes.
  std::vector<std::pair<int32_t, int32_t>> ParentOf;  // (object, its parent), in walk order
  // Bytes of the file itself; what follows was written out of object streams.
  int64_t FileSize() const { return file_size_; }
  // Appends bytes after the file (and what was appended before); returns where they start.
  int64_t AppendToBuffer(std::string_view bytes);
  TCaps Caps;
  std::size_t DictionaryTokens = 0;  // tokens kept by every ReadDict so far
  int64_t StreamBytes = 0;           // stream data copied and decoded so far
  // Adds n bytes of stream work; false (and the Document cap) once the file's budget is spent.
  bool CountStreamBytes(int64_t n);

 private:
  std::string buffer_;
  int64_t cursor_ = 0;
  int64_t file_size_ = 0;
};

// Keeps the reader's cursor for the length of a scope: a lookup in the middle of a read puts it
// back where it was.
class TSavedCursor {
 public:
  explicit TSavedCursor(TDocReader& reader) : reader_(reader), pos_(reader.GetPos()) {}
  ~TSavedCursor() { reader_.SetPos(pos_); }
  TSavedCursor(const TSavedCursor&) = delete;
  TSavedCursor& operator=(const TSavedCursor&) = delete;

 private:
  TDocReader& reader_;
  int64_t pos_;
};

}  // namespace paginor
