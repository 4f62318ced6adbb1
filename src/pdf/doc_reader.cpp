#include "pdf/doc_reader.h"

#include <algorithm>
#include <utility>

#include "pdf/literals.h"

namespace paginor {

TDocReader::TDocReader() = default;

TDocReader::TDocReader(std::string bytes) : TTokenScanner(std::move(bytes)) {}

void TDocReader::LoadBuffer(std::string bytes) {
  LoadBuffer(TFileBuffer(std::move(bytes)));
}

void TDocReader::LoadBuffer(TFileBuffer bytes) {
  TTokenScanner::LoadBuffer(std::move(bytes));
  Invalid = false;
}

void TDocReader::SetRules(const TReadingRules& rules) {
  rules_ = rules;
  SetPdfWhiteSpace(rules.PdfWhiteSpace);
}

void TDocReader::ReadDict() {
  dict_pos_ = GetPos();
  if (ReadToken() != "<<") {
    Invalid = true;
    return;
  }
  const TCapLimits& limits = Caps.Limits;
  if (DictionaryTokens >= limits.DocumentDictionaryTokens) {
    Caps.Reached(TCap::Document);
    return;
  }
  int n = 0;
  int arrays = 0;
  int dicts = 0;
  std::size_t kept = 0;
  TDictEntry* current = nullptr;
  // The nesting of the cap: open arrays and dictionaries, where a "]" without its "[" opens
  // nothing (arrays, which the entry rule uses, counts it).
  int open_arrays = 0;
  const auto depth = [&open_arrays, &dicts] { return open_arrays + std::max(dicts, 0); };
  for (;;) {
    const bool line_start = PrecededByLineEnd();
    std::string t = ReadToken();
    // A bracket counts at the depth of what it encloses, so both brackets of a pair are kept
    // or both dropped.
    const int depth_before = depth();
    if (t == "[") {
      ++arrays;
      ++open_arrays;
    }
    if (t == "]") {
      --arrays;
      open_arrays = std::max(open_arrays - 1, 0);
    }
    if (t == "<<") ++dicts;
    if (t == ">>") --dicts;
    const bool closing = t.starts_with(">>") && dicts < 0;
    if (closing) break;
    if (std::max(depth_before, depth()) > limits.Nesting) {
      Caps.Reached(TCap::Nesting);
      if (PastEnd()) break;
      continue;
    }
    if (kept >= limits.DictionaryTokens || DictionaryTokens >= limits.DocumentDictionaryTokens) {
      Caps.Reached(kept >= limits.DictionaryTokens ? TCap::Dictionary : TCap::Document);
      if (PastEnd()) break;
      continue;
    }
    if (t != ">>" && dicts == 0) {
      // A key starts a new entry at the start of a line, or once the entry has a value.
      if ((line_start || n >= 2) && t.starts_with('/') && arrays <= 0) n = 0;
      if (n == 0) {
        current = DictEntries.Append();
        current->ValuePos = GetPos();
      }
    }
    // Tokens before the first entry (a dictionary opening with "<<" twice) have no entry.
    if (current != nullptr) {
      current->Tokens.push_back(std::move(t));
      ++n;
      ++kept;
      ++DictionaryTokens;
    }
    if (PastEnd()) break;
  }
}

void TDocReader::FreeDict() {
  DictEntries.Clear();
}

bool TDocReader::CountStreamBytes(int64_t n) {
  StreamBytes += std::max<int64_t>(n, 0);
  if (StreamBytes <= Caps.Limits.DocumentContentBytes) return true;
  Caps.Reached(TCap::Document);
  return false;
}

bool TDocReader::AtStreamData() {
  if (!MatchLiteral("stream")) return false;
  const unsigned char ch = ReadByteSafe();
  if (ch == '\n') return true;
  if (ch != '\r') return false;
  if (ReadByteSafe() == '\n') return true;
  // "stream" and a lone CR: the modern reader takes the data to start right after it.
  if (!rules_.StreamRecovery) return false;
  SetPos(GetPos() - 1);
  return true;
}

bool TDocReader::GotoObject(int32_t num, int32_t gen) {
  if (num < 0 || num >= XrefCount()) return false;
  SetPos(XrefTable[static_cast<std::size_t>(num)].Offset);
  const std::string number = ReadToken();
  const std::string generation = ReadToken();
  const std::string keyword = ReadToken();
  // The modern reader takes no other object for this one (an object missing from the table
  // points at the file's start, whose header is a comment to it), nor an older or newer
  // generation of it.
  return !rules_.CheckedObjects || (keyword == "obj" && ParseInt32(number) == num &&
                                    (gen == kAnyGeneration || ParseInt32(generation) == gen));
}

std::optional<int64_t> TDocReader::ObjectBodyPos(int32_t num, int32_t gen) {
  TSavedCursor saved(*this);
  std::optional<int64_t> pos;
  if (GotoObject(num, gen) && !PastEnd()) pos = GetPos();
  return pos;
}

std::vector<std::string> TDocReader::ObjectTokens(int32_t num, std::size_t max_tokens) {
  std::vector<std::string> tokens;
  TSavedCursor saved(*this);
  if (!GotoObject(num)) return tokens;
  int depth = 0;
  do {
    tokens.push_back(ReadToken());
    const std::string& t = tokens.back();
    if (t == "[" || t == "<<") ++depth;
    if (t == "]" || t == ">>") --depth;
  } while (depth > 0 && !PastEnd() && tokens.size() < max_tokens);
  return tokens;
}

}  // namespace paginor
