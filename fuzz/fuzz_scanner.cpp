// The token scanner and the dictionary reader over any bytes: every token read moves the
// cursor on, so a scan ends at the end of the data; every dictionary entry has its key, and
// the caps hold.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "pdf/doc_reader.h"

namespace {

void ScanTokens(paginor::TDocReader& reader) {
  reader.SetPos(0);
  const int64_t size = reader.Size();
  int64_t tokens = 0;
  while (reader.GetPos() < size) {
    const int64_t before = reader.GetPos();
    const std::string token = reader.ReadToken();
    FUZZ_CHECK(reader.GetPos() > before);
    // Past the end the scanner reads a filler byte, which may end up in the token.
    FUZZ_CHECK(static_cast<int64_t>(token.size()) <= size - before + 2);
    FUZZ_CHECK(++tokens <= size);
  }
}

// A dictionary at every "<<" of the data, as the reader meets them at arbitrary positions.
void ReadDictionaries(paginor::TDocReader& reader, const std::string& data) {
  const paginor::TCapLimits& limits = reader.Caps.Limits;
  int dictionaries = 0;
  for (std::size_t at = data.find("<<"); at != std::string::npos && dictionaries < 64;
       at = data.find("<<", at + 2), ++dictionaries) {
    reader.SetPos(static_cast<int64_t>(at));
    reader.ReadDict();
    std::size_t tokens = 0;
    for (const paginor::TDictEntry& entry : reader.DictEntries) {
      FUZZ_CHECK(!entry.Tokens.empty());
      FUZZ_CHECK(entry.ValuePos >= 0 && entry.ValuePos <= reader.Size() + 2);
      int depth = 0;
      for (const std::string& t : entry.Tokens) {
        if (t == "[" || t == "<<") ++depth;
        if (t == "]" || t == ">>") depth = std::max(depth - 1, 0);
        FUZZ_CHECK(depth <= limits.Nesting);
      }
      tokens += entry.Tokens.size();
    }
    FUZZ_CHECK(tokens <= limits.DictionaryTokens);
    reader.FreeDict();
    FUZZ_CHECK(reader.DictEntries.Count() == 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  paginor::TDocReader reader(bytes);
  ScanTokens(reader);
  // Small caps, so that short inputs reach them too.
  reader.Caps.Limits.Nesting = 4;
  reader.Caps.Limits.DictionaryTokens = 64;
  ReadDictionaries(reader, bytes);
  // The line reading of the end of the file.
  reader.SetPos(reader.Size());
  for (int i = 0; i < 4; ++i)
    reader.BackToLineStart();
  const int64_t line_start = reader.GetPos();
  FUZZ_CHECK(line_start >= 0 && line_start <= reader.Size());
  while (reader.GetPos() < reader.Size()) {
    const int64_t before = reader.GetPos();
    reader.ReadLine();
    FUZZ_CHECK(reader.GetPos() > before);
  }
  return 0;
}
