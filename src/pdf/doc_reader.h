// TDocReader: one conversion's view of a PDF file: the token scanner over the whole file, the
// dictionary reader, the cross-reference table, and the lists and flags the reading phases
// share.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/caps.h"
#include "pdf/dyna_array.h"
#include "pdf/reading_rules.h"
#include "pdf/records.h"
#include "pdf/security.h"
#include "pdf/token_scanner.h"

namespace paginor {

// TDocReader is the token scanner over the file with what the reading phases share: the
// dictionary reader, the cross-reference table, the document's lists and flags, the security
// handler and the caps.
class TDocReader : public TTokenScanner {
 public:
  TDocReader();
  explicit TDocReader(std::string bytes);
  TDocReader(const TDocReader&) = delete;
  TDocReader& operator=(const TDocReader&) = delete;

  // Replaces the buffer; the cursor goes to its end and Invalid is cleared.
  void LoadBuffer(std::string bytes);
  void LoadBuffer(TFileBuffer bytes);

  // The classic or the modern reader's rules; the scanner follows their white space.
  void SetRules(const TReadingRules& rules);
  const TReadingRules& Rules() const { return rules_; }

  // Reads the dictionary at the cursor into DictEntries; sets Invalid when it does not start
  // with "<<". Each ReadDict is paired with a FreeDict. Tokens nested deeper than the
  // Nesting cap, and those past the Dictionary cap, are read over but not kept; once the
  // file's dictionaries have given the Document cap's number of tokens, nothing more is read.
  void ReadDict();
  void FreeDict();
  // Where the last ReadDict started: the modern reader parses the same dictionary as typed
  // objects from there.
  int64_t DictPos() const { return dict_pos_; }
  // Right after a stream's dictionary: "stream" and LF or CR LF; the cursor then rests on
  // the first data byte.
  bool AtStreamData();

  // A generation that is not known: any object of the number will do.
  static constexpr int32_t kAnyGeneration = -1;
  // Moves to the body of object n (after "n g obj"). False when n is outside the table; with
  // checked objects also when the header names another object or, where gen is given, another
  // generation.
  bool GotoObject(int32_t num, int32_t gen = kAnyGeneration);
  // Where the body of object n begins, the cursor left where it was; nothing when n is outside
  // the table or listed beyond the end of the data.
  std::optional<int64_t> ObjectBodyPos(int32_t num, int32_t gen = kAnyGeneration);
  // The tokens of object num's value: one token, or an array or dictionary to the bracket that
  // closes it, at most max_tokens. The cursor is left where it was.
  std::vector<std::string> ObjectTokens(int32_t num, std::size_t max_tokens);
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
  TCaps Caps;
  std::size_t DictionaryTokens = 0;  // tokens kept by every ReadDict so far
  int64_t StreamBytes = 0;           // stream data copied and decoded so far
  // Adds n bytes of stream work; false (and the Document cap) once the file's budget is spent.
  bool CountStreamBytes(int64_t n);

 private:
  TReadingRules rules_;
  int64_t dict_pos_ = 0;
};

}  // namespace paginor
