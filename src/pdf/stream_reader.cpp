#include "pdf/stream_reader.h"

#include <algorithm>
#include <utility>

#include "pdf/filter_registry.h"
#include "pdf/literals.h"
#include "pdf/object_resolver.h"

namespace paginor {

namespace {

// The bytes of a stream's data: between the keyword's line end and "endstream".
std::string_view DataAt(const TDocReader& reader, int64_t start, int64_t length) {
  const std::string_view buffer = reader.Buffer();
  const auto from = static_cast<std::size_t>(std::clamp<int64_t>(start, 0, reader.Size()));
  return buffer.substr(from, static_cast<std::size_t>(std::max<int64_t>(0, length)));
}

}  // namespace

TStreamHeader StreamHeaderOf(TDocReader& reader) {
  TStreamHeader header;
  // An indirect /Length that is no number counts 0, as the classic reader reads numbers.
  const auto indirect_length = [&reader](std::optional<int32_t> num) {
    TSavedCursor saved(reader);
    return reader.GotoObject(num.value_or(-1)) ? std::optional<int64_t>(reader.ReadTokenInt())
                                               : std::nullopt;
  };
  if (!reader.Rules().FilterParameters) {
    std::vector<std::string> filter;
    for (const TDictEntry& entry : reader.DictEntries) {
      const auto& t = entry.Tokens;
      if (t[0] == "/Length" && IsReference(entry)) {
        header.Length = indirect_length(ParseInt32(t[1]));
      } else if (t[0] == "/Length" && t.size() == 2) {
        if (const auto length = ParseInt32(t[1])) header.Length = *length;
      } else if (t[0] == "/Filter") {
        filter = t;
      }
    }
    header.Chain = ReadFilterChain(filter);
    return header;
  }
  TObjectResolver objects(reader);
  const TPdfObject& dict = objects.ObjectAt(reader.DictPos());
  if (const TPdfObject* length = dict.Get("Length")) {
    if (const auto ref = length->AsRef()) {
      header.Length = indirect_length(ref->Num);
    } else if (const std::optional<int32_t> n = length->AsInt32()) {
      header.Length = *n;
    }
  }
  header.Chain = FilterChainOf(
      dict, [&objects](const TPdfObject& o) -> const TPdfObject& { return objects.Resolve(o); });
  return header;
}

bool EnterStreamData(TDocReader& reader) {
  const int64_t keyword = reader.GetPos();
  if (reader.AtStreamData()) return true;
  if (!reader.Rules().StreamRecovery) return false;
  // A blank after the keyword: the data start after it all the same.
  reader.SetPos(keyword);
  return reader.ReadToken() == "stream";
}

int64_t StreamDataLength(const TDocReader& reader, int64_t start,
                         const std::optional<int64_t>& length) {
  if (!reader.Rules().StreamRecovery) return length.value_or(0);
  const std::string_view data = reader.Buffer();
  const int64_t size = reader.Size();
  if (length && *length >= 0 && start + *length <= size) {
    auto after = static_cast<std::size_t>(start + *length);
    while (after < data.size() &&
           (reader.IsWhite(static_cast<unsigned char>(data[after])) || data[after] == 0))
      ++after;
    if (data.compare(after, 9, "endstream") == 0) return *length;
  }
  const std::size_t end = data.find("endstream", static_cast<std::size_t>(start));
  int64_t found = (end == std::string_view::npos ? size : static_cast<int64_t>(end)) - start;
  // The line end before the keyword belongs to it.
  while (found > 0 &&
         IsLineEnd(static_cast<unsigned char>(data[static_cast<std::size_t>(start + found - 1)])))
    --found;
  return std::min<int64_t>(found, INT32_MAX);
}

void DecryptStreamData(TDocReader& reader, int32_t num, int32_t gen,
                       const std::vector<TFilterStep>& chain, std::string& data) {
  if (!reader.Encrypted) return;
  if (reader.Rules().EveryEncryption) {
    reader.Security.DecryptStream(num, gen, data, StreamCryptFilter(chain));
  } else {
    reader.Security.DecryptObject(num, gen, data);
  }
}

TUndone UndoFilters(TDocReader& reader, const std::vector<TFilterStep>& chain, std::string data,
                    std::size_t limit) {
  TUndone undone;
  const TFilterRegistry& registry = *reader.Rules().Filters;
  for (const TFilterStep& step : chain) {
    bool reached = false;
    std::optional<std::string> decoded = registry.Decode(step, data, limit, &reached);
    if (!decoded) {
      undone.UnknownFilter = step.Name;
      break;
    }
    data = std::move(*decoded);
    reader.CountStreamBytes(static_cast<int64_t>(data.size()));
    undone.LimitReached = undone.LimitReached || reached;
  }
  undone.Data = std::move(data);
  return undone;
}

std::optional<std::string> ReadStreamData(TDocReader& reader, int32_t num, int32_t gen,
                                          bool encrypt) {
  const TStreamHeader header = StreamHeaderOf(reader);
  reader.FreeDict();
  if (!EnterStreamData(reader)) return std::nullopt;
  const int64_t start = reader.GetPos();
  // Stream work counts against the file's budget, like the pages' content streams.
  if (!reader.CountStreamBytes(0)) return std::nullopt;
  std::string data(DataAt(reader, start, StreamDataLength(reader, start, header.Length)));
  reader.CountStreamBytes(static_cast<int64_t>(data.size()));
  if (encrypt) DecryptStreamData(reader, num, gen, header.Chain, data);
  TUndone undone = UndoFilters(reader, header.Chain, std::move(data));
  if (!undone.UnknownFilter.empty()) return std::nullopt;
  return std::move(undone.Data);
}

std::optional<std::string> ReadStreamObject(TDocReader& reader, int32_t num, int32_t gen) {
  TSavedCursor saved(reader);
  if (!reader.GotoObject(num, gen)) return std::nullopt;
  const int64_t body = reader.GetPos();
  if (reader.ReadToken() != "<<") return std::nullopt;
  reader.SetPos(body);
  reader.ReadDict();
  return ReadStreamData(reader, num, gen, /*encrypt=*/true);
}

}  // namespace paginor
