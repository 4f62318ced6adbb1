#include "pdf/xref_stream.h"

#include <algorithm>
#include <vector>

#include "pdf/filters.h"
#include "pdf/literals.h"
#include "pdf/more_filters.h"
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

std::vector<int64_t> NumbersOf(const std::vector<std::string>& tokens) {
  std::vector<int64_t> numbers;
  for (std::size_t i = 1; i < tokens.size(); ++i) {
    if (const auto n = ParseInt64(tokens[i])) numbers.push_back(*n);
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

std::optional<std::string> ReadStreamData(TDocReader& reader, int32_t num, int32_t gen,
                                          bool encrypt) {
  // The dictionary has been read by the caller; its entries are still in DictEntries.
  std::optional<int64_t> length;
  std::vector<std::string> filter;
  std::vector<std::string> parms;
  for (const TDictEntry& e : reader.DictEntries) {
    const auto& t = e.Tokens;
    if (t[0] == "/Length" && t.size() == 2) {
      length = ParseInt64(t[1]);
    } else if (t[0] == "/Length" && IsReference(e)) {
      const int64_t saved = reader.GetPos();
      if (reader.GotoObject(ParseInt32(t[1]).value_or(-1))) length = ParseInt64(reader.ReadToken());
      reader.SetPos(saved);
    } else if (t[0] == "/Filter") {
      filter = t;
    } else if (t[0] == "/DecodeParms") {
      parms = t;
    }
  }
  reader.FreeDict();
  const int64_t keyword = reader.GetPos();
  if (!reader.AtStreamData()) {
    // A lone CR or a blank after the keyword: the data start after it all the same.
    reader.SetPos(keyword);
    if (reader.ReadToken() != "stream") return std::nullopt;
  }
  const int64_t start = reader.GetPos();
  if (!length || *length < 0 || start + *length > reader.Size()) {
    // No usable /Length (or one past the end): the data run up to "endstream".
    const std::size_t end = reader.Buffer().find("endstream", static_cast<std::size_t>(start));
    length = (end == std::string::npos ? reader.Size() : static_cast<int64_t>(end)) - start;
  }
  // Stream work counts against the file's budget, like the pages' content streams.
  if (!reader.CountStreamBytes(0)) return std::nullopt;
  std::string data = reader.ReadBytes(*length);
  reader.CountStreamBytes(static_cast<int64_t>(data.size()));
  if (encrypt && reader.Encrypted) reader.Security.DecryptObject(num, gen, data);
  // Every generic filter with its own parameters, as a page's content would be decoded.
  for (const TFilterStep& step : ReadFilterChain(filter, parms)) {
    std::optional<std::string> decoded = DecodeStep(step, data);
    if (!decoded) return std::nullopt;
    data = std::move(*decoded);
    reader.CountStreamBytes(static_cast<int64_t>(data.size()));
  }
  return data;
}

bool ReadXrefStream(TDocReader& reader, int32_t offset, int32_t& prev) {
  reader.SetPos(offset);
  const auto header = ObjectHeader(reader);
  if (!header) return false;
  reader.ReadDict();
  bool is_xref = false;
  std::vector<int64_t> widths;
  std::vector<int64_t> index;
  int64_t size = 0;
  for (const TDictEntry& e : reader.DictEntries) {
    const auto& t = e.Tokens;
    if (t[0] == "/Type" && t.size() >= 2) is_xref = t[1] == "/XRef";
    if (t[0] == "/W") widths = NumbersOf(t);
    if (t[0] == "/Index") index = NumbersOf(t);
    if (t[0] == "/Size" && t.size() >= 2) size = ParseInt64(t[1]).value_or(0);
  }
  if (!is_xref || widths.size() != 3 ||
      std::any_of(widths.begin(), widths.end(), [](int64_t w) { return w < 0 || w > 8; })) {
    reader.FreeDict();
    return false;
  }
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
        entry.Offset = static_cast<int32_t>(std::min<uint64_t>(f2, INT32_MAX));
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
