#include "pdf/xref.h"

#include <algorithm>
#include <optional>
#include <set>

#include "pdf/literals.h"

namespace paginor {

namespace {

// Object numbers from this on are not stored: every object takes more than four bytes of the
// file, and a hostile subsection header must not make us allocate gigabytes.
int64_t TableLimit(const TDocReader& reader) {
  return std::min(reader.Size() / 4 + 4096, reader.Caps.Limits.XrefEntries);
}

// Finds "%%EOF" and then "startxref" two non-empty lines above it; returns the offset it
// names, or nothing (Invalid set).
std::optional<int32_t> FindStartXref(TDocReader& reader) {
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
  return reader.ReadLineInt();
}

void ReadSubsections(TDocReader& reader, int32_t first, int32_t count) {
  for (;;) {
    const int64_t end = static_cast<int64_t>(first) + count;
    const int64_t stored_end = std::min(end, TableLimit(reader));
    if (end > stored_end) reader.Caps.Reached(TCap::Xref);
    if (stored_end > reader.XrefCount()) reader.XrefTable.resize(static_cast<size_t>(stored_end));
    for (int64_t i = first; i < end && !reader.PastEnd(); ++i) {
      const int32_t offset = reader.ReadTokenInt();
      const int32_t gen = reader.ReadTokenInt();
      reader.ReadToken();  // "n" or "f": a free entry is stored like any other
      if (i < 0 || i >= reader.XrefCount()) continue;
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

bool IsReference(const TDictEntry& entry) {
  return entry.Tokens.size() >= 4 && entry.Tokens[3] == "R";
}

// Reads the trailer dictionary after "trailer"; returns the /Prev offset or `prev` unchanged.
int32_t ReadTrailer(TDocReader& reader, int32_t prev) {
  reader.ReadDict();
  for (const TDictEntry& entry : reader.DictEntries) {
    const auto& tokens = entry.Tokens;
    if (tokens.empty()) continue;
    const std::string& key = tokens[0];
    if (key == "/Root" && IsReference(entry) && !reader.RootFound) {
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
    } else if (key == "/Encrypt" && IsReference(entry) && !reader.Encrypted) {
      const auto num = ParseInt32(tokens[1]);
      const auto gen = ParseInt32(tokens[2]);
      if (num && gen) {
        reader.EncryptNum = *num;
        reader.EncryptGen = *gen;
        reader.Encrypted = true;
      }
    } else if (key == "/Prev" && tokens.size() >= 2) {
      prev = ParseInt32(tokens[1]).value_or(prev);
    }
  }
  reader.FreeDict();
  return prev;
}

}  // namespace

void ReadXrefAndTrailer(TDocReader& reader) {
  const std::optional<int32_t> start = FindStartXref(reader);
  if (!start) return;
  int32_t section = *start;
  std::set<int32_t> sections_read;
  for (;;) {
    sections_read.insert(section);
    reader.SetPos(section);
    if (!reader.MatchLiteral("xref")) {
      reader.Invalid = true;
      return;
    }
    reader.SkipToNextLine();
    const int32_t first = reader.ReadTokenInt();
    const int32_t count = reader.ReadTokenInt();
    ReadSubsections(reader, first, count);
    if (reader.Invalid) return;
    const int32_t prev = ReadTrailer(reader, section);
    if (reader.Invalid) return;
    // A /Prev naming a section already read (itself included) ends the chain.
    if (sections_read.contains(prev)) return;
    section = prev;
  }
}

}  // namespace paginor
