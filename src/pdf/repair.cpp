#include "pdf/repair.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "pdf/literals.h"
#include "pdf/stream_reader.h"
#include "pdf/token_scanner.h"
#include "pdf/xref.h"
#include "pdf/xref_stream.h"

namespace paginor {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsDelimiterOrSpace(char c) {
  return IsPdfSpace(static_cast<unsigned char>(c)) || c == '\t' || c == '\f' || c == '\0' ||
         std::strchr("()<>[]{}/%", c) != nullptr;
}

struct FoundObject {
  int64_t num;
  int32_t gen;
  int64_t offset;  // of its number
};

// Every "N G obj" of the file's own bytes, in file order.
std::vector<FoundObject> ScanObjects(const TDocReader& reader) {
  std::vector<FoundObject> found;
  const std::string_view data(reader.Buffer().data(), static_cast<std::size_t>(reader.FileSize()));
  for (std::size_t at = data.find("obj"); at != std::string_view::npos;
       at = data.find("obj", at + 3)) {
    if (at + 3 < data.size() && !IsDelimiterOrSpace(data[at + 3])) continue;  // "objstm" ...
    std::size_t p = at;
    const auto skip_space = [&] {
      std::size_t n = 0;
      while (p > 0 && IsPdfSpace(static_cast<unsigned char>(data[p - 1])))
        --p, ++n;
      return n;
    };
    const auto digits_back = [&] {
      const std::size_t end = p;
      while (p > 0 && IsDigit(data[p - 1]) && end - p < 10)
        --p;
      return end - p;
    };
    if (skip_space() == 0) continue;
    const std::size_t gen_end = p;
    if (digits_back() == 0) continue;
    const std::size_t gen_start = p;
    if (skip_space() == 0) continue;
    const std::size_t num_end = p;
    if (digits_back() == 0) continue;
    if (p > 0 && !IsDelimiterOrSpace(data[p - 1])) continue;
    const auto num = ParseInt64(data.substr(p, num_end - p));
    const auto gen = ParseInt32(data.substr(gen_start, gen_end - gen_start));
    if (!num || !gen) continue;
    found.push_back({*num, *gen, static_cast<int64_t>(p)});
  }
  return found;
}

bool DictHas(TDocReader& reader, int64_t body, const char* key, const char* value) {
  reader.SetPos(body);
  if (reader.ReadToken() != "<<") return false;
  reader.SetPos(body);
  reader.ReadDict();
  bool has = false;
  for (const TDictEntry& e : reader.DictEntries) {
    if (e.Tokens[0] == key && e.Tokens.size() >= 2 && e.Tokens[1] == value) has = true;
  }
  reader.FreeDict();
  return has;
}

}  // namespace

bool OffsetsLeadToObjects(TDocReader& reader) {
  std::set<int32_t> compressed;
  for (const auto& c : reader.Compressed)
    compressed.insert(c.ObjNum);
  for (int32_t i = 1; i < reader.XrefCount(); ++i) {
    const TXrefEntry& entry = reader.XrefTable[static_cast<std::size_t>(i)];
    if (!entry.Loaded || compressed.contains(i)) continue;
    reader.SetPos(entry.Offset);
    if (ParseInt32(reader.ReadToken()) != i) return false;
    reader.ReadToken();
    if (reader.ReadToken() != "obj") return false;
  }
  return true;
}

void RepairXref(TDocReader& reader) {
  const std::vector<FoundObject> found = ScanObjects(reader);
  const int64_t limit = XrefTableLimit(reader);
  reader.XrefTable.clear();
  reader.Compressed.clear();
  for (const FoundObject& object : found) {
    if (object.num >= limit) reader.Caps.Reached(TCap::Xref);
    if (object.num < 0 || object.num >= limit) continue;
    if (object.num >= reader.XrefCount()) {
      reader.XrefTable.resize(static_cast<std::size_t>(object.num) + 1);
    }
    reader.XrefTable[static_cast<std::size_t>(object.num)] =
        TXrefEntry{object.offset, object.gen, true};
  }
  // The trailer: the last "trailer" dictionary; else a cross-reference stream's; else the
  // catalog itself.
  reader.RootFound = false;
  reader.Encrypted = false;
  const std::string_view data(reader.Buffer().data(), static_cast<std::size_t>(reader.FileSize()));
  const std::size_t trailer = data.rfind("trailer");
  if (trailer != std::string_view::npos) {
    // Read as a token, so that the blanks after the keyword are passed over.
    reader.SetPos(static_cast<int64_t>(trailer));
    reader.ReadToken();
    reader.ReadDict();
    ApplyTrailerEntries(reader, reader.DictEntries.begin(), reader.DictEntries.end(), 0, nullptr);
    reader.FreeDict();
  }
  for (auto it = found.rbegin(); it != found.rend() && !reader.RootFound; ++it) {
    reader.SetPos(it->offset);
    for (int i = 0; i < 3; ++i)
      reader.ReadToken();
    const int64_t body = reader.GetPos();
    if (DictHas(reader, body, "/Type", "/XRef")) {
      reader.SetPos(body);
      reader.ReadDict();
      ApplyTrailerEntries(reader, reader.DictEntries.begin(), reader.DictEntries.end(), 0, nullptr);
      reader.FreeDict();
    } else if (DictHas(reader, body, "/Type", "/Catalog")) {
      reader.RootNum = static_cast<int32_t>(it->num);
      reader.RootGen = it->gen;
      reader.RootFound = true;
    }
  }
  // A file in which no object was found (a picture or text renamed to .pdf) was not repaired.
  reader.Repaired = !found.empty();
  reader.Invalid = !reader.RootFound;
}

void ExpandObjectStreams(TDocReader& reader) {
  // stream object -> (index in the stream -> object number); after a repair every object
  // stream found is expanded for the numbers the file does not define directly.
  std::map<int32_t, std::map<int32_t, int32_t>> wanted;
  for (const auto& c : reader.Compressed)
    wanted[c.StreamNum][c.Index] = c.ObjNum;
  std::set<int32_t> all_of;
  if (reader.Repaired) {
    for (int32_t i = 1; i < reader.XrefCount(); ++i) {
      const TXrefEntry& entry = reader.XrefTable[static_cast<std::size_t>(i)];
      if (!entry.Loaded || entry.Offset >= reader.FileSize()) continue;
      reader.SetPos(entry.Offset);
      for (int k = 0; k < 3; ++k)
        reader.ReadToken();
      if (DictHas(reader, reader.GetPos(), "/Type", "/ObjStm")) all_of.insert(i);
    }
  }
  for (const int32_t stream : all_of)
    wanted[stream];

  for (const auto& [stream, members] : wanted) {
    if (!reader.GotoObject(stream)) continue;
    const int64_t body = reader.GetPos();
    if (reader.ReadToken() != "<<") continue;
    reader.SetPos(body);
    reader.ReadDict();
    int64_t count = 0;
    int64_t first = 0;
    for (const TDictEntry& e : reader.DictEntries) {
      if (e.Tokens[0] == "/N" && e.Tokens.size() >= 2) count = ParseInt64(e.Tokens[1]).value_or(0);
      if (e.Tokens[0] == "/First" && e.Tokens.size() >= 2) {
        first = ParseInt64(e.Tokens[1]).value_or(0);
      }
    }
    const int32_t gen = reader.XrefTable[static_cast<std::size_t>(stream)].Gen;
    const std::optional<std::string> data = ReadStreamData(reader, stream, gen, true);
    if (!data || first < 0 || first > static_cast<int64_t>(data->size())) continue;
    // The header: pairs of object number and offset; never more than the data can hold.
    count = std::min<int64_t>(count, static_cast<int64_t>(data->size()) / 2);
    TTokenScanner header(data->substr(0, static_cast<std::size_t>(first)));
    header.SetPos(0);
    std::vector<std::pair<int32_t, int64_t>> objects;
    for (int64_t k = 0; k < count && !header.PastEnd(); ++k) {
      const auto num = ParseInt32(header.ReadToken());
      const auto offset = ParseInt64(header.ReadToken());
      if (!num || !offset) break;
      objects.emplace_back(*num, *offset);
    }
    for (std::size_t k = 0; k < objects.size(); ++k) {
      const auto [num, offset] = objects[k];
      const int64_t begin = first + offset;
      const int64_t end = k + 1 < objects.size() ? first + objects[k + 1].second
                                                 : static_cast<int64_t>(data->size());
      if (begin < first || begin > end || end > static_cast<int64_t>(data->size())) continue;
      if (num <= 0 || num >= reader.XrefCount()) continue;
      TXrefEntry& entry = reader.XrefTable[static_cast<std::size_t>(num)];
      const auto member = members.find(static_cast<int32_t>(k));
      const bool listed = member != members.end() && member->second == num;
      if (!listed && !(all_of.contains(stream) && !entry.Loaded)) continue;
      std::string text = "\n" + std::to_string(num) + " 0 obj\n";
      const int64_t at = reader.AppendToBuffer(text) + 1;
      reader.AppendToBuffer(std::string_view(*data).substr(static_cast<std::size_t>(begin),
                                                           static_cast<std::size_t>(end - begin)));
      reader.AppendToBuffer("\nendobj\n");
      entry = TXrefEntry{at, 0, true};
    }
  }
  reader.Compressed.clear();
}

}  // namespace paginor
