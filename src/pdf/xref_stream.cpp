#include "pdf/xref_stream.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "pdf/literals.h"
#include "pdf/object.h"
#include "pdf/stream_reader.h"
#include "pdf/xref.h"

namespace paginor {

namespace {

// A field of a cross-reference stream row: big-endian, at most eight bytes.
uint64_t Field(const std::string& data, std::size_t at, int width) {
  uint64_t value = 0;
  for (int i = 0; i < width; ++i)
    value = value << 8 | static_cast<unsigned char>(data[at + i]);
  return value;
}

// The whole numbers of an array; other items are left out.
std::vector<int64_t> NumbersOf(const TPdfObject* array) {
  std::vector<int64_t> numbers;
  if (array == nullptr) return numbers;
  for (const TPdfObject& item : array->Items()) {
    if (const auto n = item.AsInteger()) numbers.push_back(*n);
  }
  return numbers;
}

// "N G obj" at the cursor: the object's number and generation.
std::optional<std::pair<int32_t, int32_t>> ObjectHeader(TDocReader& reader) {
  const auto num = ParseInt32(reader.ReadToken());
  const auto gen = ParseInt32(reader.ReadToken());
  if (!num || !gen || reader.ReadToken() != "obj") return std::nullopt;
  return std::make_pair(*num, *gen);
}

}  // namespace

bool ReadXrefStream(TDocReader& reader, int64_t offset, int64_t& prev) {
  reader.SetPos(offset);
  const auto header = ObjectHeader(reader);
  if (!header) return false;
  TParseLimits limits;
  limits.Depth = reader.Caps.Limits.Nesting;
  const auto parsed =
      ParseObject(reader.Buffer(), static_cast<std::size_t>(reader.GetPos()), limits);
  if (!parsed || !parsed->Object.IsDict()) return false;
  const TPdfObject& dict = parsed->Object;
  const TPdfObject* type = dict.Get("Type");
  const bool is_xref = type != nullptr && type->IsName("XRef");
  std::vector<int64_t> widths = NumbersOf(dict.Get("W"));
  std::vector<int64_t> index = NumbersOf(dict.Get("Index"));
  const TPdfObject* size_entry = dict.Get("Size");
  const int64_t size = size_entry ? size_entry->AsInteger().value_or(0) : 0;
  if (!is_xref || widths.size() != 3 ||
      std::any_of(widths.begin(), widths.end(), [](int64_t w) { return w < 0 || w > 8; })) {
    return false;
  }
  // The trailer's entries are read as the cross-reference table's trailer reads them.
  reader.ReadDict();
  const std::vector<TDictEntry> trailer(reader.DictEntries.begin(), reader.DictEntries.end());
  const std::optional<std::string> data = ReadStreamData(reader, header->first, header->second,
                                                         /*encrypt=*/false);
  prev =
      ApplyTrailerEntries(reader, trailer.data(), trailer.data() + trailer.size(), prev, nullptr);
  if (!data) return false;
  if (index.empty()) index = {0, size};
  const int w0 = static_cast<int>(widths[0]);
  const int w1 = static_cast<int>(widths[1]);
  const int w2 = static_cast<int>(widths[2]);
  const std::size_t row = static_cast<std::size_t>(w0 + w1 + w2);
  if (row == 0) return false;
  const int64_t limit = XrefTableLimit(reader);
  std::size_t at = 0;
  for (std::size_t k = 0; k + 1 < index.size(); k += 2) {
    const int64_t first = index[k];
    // Overlapping or huge ranges are bounded by the rows the data hold.
    for (int64_t i = 0; i < index[k + 1] && at + row <= data->size(); ++i, at += row) {
      const int64_t num = first + i;
      const uint64_t type = w0 == 0 ? 1 : Field(*data, at, w0);
      const uint64_t f2 = Field(*data, at + w0, w1);
      const uint64_t f3 = Field(*data, at + w0 + w1, w2);
      if (num >= limit && type != 0 && type <= 2) reader.Caps.Reached(TCap::Xref);
      if (num < 0 || num >= limit || type == 0 || type > 2) continue;
      if (num >= reader.XrefCount()) reader.XrefTable.resize(static_cast<std::size_t>(num) + 1);
      TXrefEntry& entry = reader.XrefTable[static_cast<std::size_t>(num)];
      if (entry.Loaded) continue;
      entry.Loaded = true;
      if (type == 1) {
        entry.Offset = static_cast<int64_t>(std::min<uint64_t>(f2, INT64_MAX));
        entry.Gen = static_cast<int32_t>(std::min<uint64_t>(f3, INT32_MAX));
      } else {
        entry.Offset = 0;
        entry.Gen = 0;
        reader.Compressed.push_back({static_cast<int32_t>(num),
                                     static_cast<int32_t>(std::min<uint64_t>(f2, INT32_MAX)),
                                     static_cast<int32_t>(std::min<uint64_t>(f3, INT32_MAX))});
      }
    }
  }
  return true;
}

}  // namespace paginor
