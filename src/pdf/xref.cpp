#include "pdf/xref.h"

#include <algorithm>
#include <optional>
#include <set>

#include "pdf/literals.h"
#include "pdf/repair.h"
#include "pdf/xref_stream.h"

namespace paginor {

namespace {

// Object numbers from this on are not stored: every object takes more than four bytes of the
// file, and a hostile subsection header must not make us allocate gigabytes. The modern reader
// allows more room for files that number their few objects sparsely (a megabyte of table).
int64_t TableLimit(const TDocReader& reader) {
  const int64_t room = reader.Rules().XrefRoom;
  return std::min(reader.Size() / 4 + room, reader.Caps.Limits.XrefEntries);
}

// The number on the line at the cursor, blanks before it skipped; 0 when there is none.
// Offsets take 64 bits: files may be larger than 2 GB.
int64_t ReadLineOffset(TDocReader& reader) {
  const std::string line = reader.ReadLine();
  const std::size_t start = std::min(line.find_first_not_of(' '), line.size());
  return ParseInt64(std::string_view(line).substr(start)).value_or(0);
}

// Finds "%%EOF" and then "startxref" two non-empty lines above it; returns the offset it
// names, or nothing (Invalid set).
std::optional<int64_t> FindStartXref(TDocReader& reader) {
  reader.SetPos(reader.Size());
  reader.BackToLineStart();
  if (!reader.MatchLiteral("%%EOF")) {
    // Garbage after the mark: search backwards, a byte at a time, down to position 1.
    bool found = false;
    for (int64_t pos = reader.GetPos(); pos > 0; --pos) {
      reader.SetPos(pos);
      if (reader.MatchLiteral("%%EOF")) {
        found = true;
        break;
      }
    }
    if (!found) {
      reader.Invalid = true;
      return std::nullopt;
    }
  }
  for (int i = 0; i < 3; ++i)
    reader.BackToLineStart();
  if (!reader.MatchLiteral("startxref")) {
    reader.Invalid = true;
    return std::nullopt;
  }
  reader.SkipToNextLine();
  return ReadLineOffset(reader);
}

void ReadSubsections(TDocReader& reader, int32_t first, int32_t count) {
  for (;;) {
    const int64_t end = static_cast<int64_t>(first) + count;
    const int64_t stored_end = std::min(end, TableLimit(reader));
    if (end > stored_end) reader.Caps.Reached(TCap::Xref);
    if (stored_end > reader.XrefCount()) reader.XrefTable.resize(static_cast<size_t>(stored_end));
    for (int64_t i = first; i < end && !reader.PastEnd(); ++i) {
      const int64_t offset = ParseInt64(reader.ReadToken()).value_or(0);
      const int32_t gen = reader.ReadTokenInt();
      // "n" or "f": a free entry is stored like any other, except by the modern reader, for
      // which it leaves the number to an older section or to the hybrid file's stream.
      const bool free_entry = reader.ReadToken() == "f";
      if (i < 0 || i >= reader.XrefCount() || (free_entry && reader.Rules().CompressedObjects))
        continue;
      TXrefEntry& entry = reader.XrefTable[static_cast<size_t>(i)];
      if (!entry.Loaded) entry = TXrefEntry{offset, gen, true};
    }
    const std::string t = reader.ReadToken();
    if (t == "trailer") return;
    if (reader.PastEnd()) {
      reader.Invalid = true;
      return;
    }
    // The next subsection; a token that does not convert repeats the last header.
    if (const auto next = ParseInt32(t)) {
      first = *next;
      count = reader.ReadTokenInt();
    }
  }
}

}  // namespace

int64_t XrefTableLimit(const TDocReader& reader) {
  return TableLimit(reader);
}

int64_t ApplyTrailerEntries(TDocReader& reader, const TDictEntry* begin, const TDictEntry* end,
                            int64_t prev, int64_t* xref_stream) {
  for (const TDictEntry* entry = begin; entry != end; ++entry) {
    const auto& tokens = entry->Tokens;
    if (tokens.empty()) continue;
    const std::string& key = tokens[0];
    if (key == "/Root" && IsReference(*entry) && !reader.RootFound) {
      const auto num = ParseInt32(tokens[1]);
      const auto gen = ParseInt32(tokens[2]);
      if (num && gen) {
        reader.RootNum = *num;
        reader.RootGen = *gen;
        reader.RootFound = true;
      }
    } else if (key == "/ID" && tokens.size() >= 4 && tokens[1] == "[") {
      // Every trailer sets it again: the oldest one with /ID decides.
      const std::string& id = tokens[2];
      reader.Security.FileId =
          (id.starts_with('(') && id.size() > 1) ? id.substr(1, id.size() - 2) : id;
    } else if (key == "/Encrypt" && IsReference(*entry) && !reader.Encrypted) {
      const auto num = ParseInt32(tokens[1]);
      const auto gen = ParseInt32(tokens[2]);
      if (num && gen) {
        reader.EncryptNum = *num;
        reader.EncryptGen = *gen;
        reader.Encrypted = true;
      }
    } else if (key == "/Prev" && tokens.size() >= 2) {
      prev = ParseInt64(tokens[1]).value_or(prev);
    } else if (key == "/XRefStm" && tokens.size() >= 2 && xref_stream != nullptr) {
      *xref_stream = ParseInt64(tokens[1]).value_or(-1);
    }
  }
  return prev;
}

namespace {

// Reads the trailer dictionary after "trailer"; returns the /Prev offset or `prev` unchanged.
int64_t ReadTrailer(TDocReader& reader, int64_t prev, int64_t* xref_stream) {
  reader.ReadDict();
  prev = ApplyTrailerEntries(reader, reader.DictEntries.begin(), reader.DictEntries.end(), prev,
                             xref_stream);
  reader.FreeDict();
  return prev;
}

}  // namespace

void ReadXrefAndTrailer(TDocReader& reader) {
  const std::optional<int64_t> start = FindStartXref(reader);
  if (!start) {
    if (reader.Rules().Repair) RepairXref(reader);
    return;
  }
  int64_t section = *start;
  std::set<int64_t> sections_read;
  for (;;) {
    sections_read.insert(section);
    reader.SetPos(section);
    int64_t prev = section;
    if (reader.MatchLiteral("xref")) {
      reader.SkipToNextLine();
      const int32_t first = reader.ReadTokenInt();
      const int32_t count = reader.ReadTokenInt();
      ReadSubsections(reader, first, count);
      if (reader.Invalid) break;
      int64_t xref_stream = -1;
      prev =
          ReadTrailer(reader, section, reader.Rules().CompressedObjects ? &xref_stream : nullptr);
      if (reader.Invalid) break;
      // A hybrid file lists its compressed objects in a stream the trailer names.
      if (xref_stream >= 0 && !sections_read.contains(xref_stream)) {
        sections_read.insert(xref_stream);
        int64_t ignored = xref_stream;
        ReadXrefStream(reader, xref_stream, ignored);
      }
    } else if (!reader.Rules().CompressedObjects || !ReadXrefStream(reader, section, prev)) {
      reader.Invalid = true;
      break;
    }
    // A /Prev naming a section already read (itself included) ends the chain.
    if (sections_read.contains(prev)) break;
    section = prev;
  }
  if (reader.Rules().Repair &&
      (reader.Invalid || !reader.RootFound || !OffsetsLeadToObjects(reader))) {
    RepairXref(reader);
  }
}

}  // namespace paginor
