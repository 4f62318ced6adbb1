#include "pdf/content_stream.h"

#include <optional>
#include <unordered_map>
#include <vector>

#include "pdf/filters.h"
#include "pdf/literals.h"
#include "pdf/more_filters.h"

namespace paginor {

namespace {

struct StreamHeader {
  std::vector<std::string> filters;
  bool has_filter = false;
  std::vector<TFilterStep> chain;  // the modern reader's: the filters with their parameters
};

// Reads the stream dictionary at the cursor: the filter names and the /Length.
StreamHeader ReadStreamHeader(TDocReader& reader, TContentRef& ref) {
  StreamHeader header;
  std::vector<std::string> filter_tokens;
  std::vector<std::string> parms_tokens;
  reader.ReadDict();
  for (const TDictEntry& entry : reader.DictEntries) {
    const auto& t = entry.Tokens;
    if (t[0] == "/DecodeParms") parms_tokens = t;
    if (t[0] == "/Filter" && t.size() >= 2) {
      filter_tokens = t;
      header.has_filter = true;
      for (std::size_t i = 1; i < t.size(); ++i) {
        if (t[i] != "[" && t[i] != "]") header.filters.push_back(t[i]);
      }
    } else if (t[0] == "/Length" && IsReference(entry)) {
      const int64_t saved = reader.GetPos();
      if (reader.GotoObject(ParseInt32(t[1]).value_or(0))) {
        ref.Length = reader.ReadTokenInt();
        ref.HasLength = true;
      }
      reader.SetPos(saved);
    } else if (t[0] == "/Length" && t.size() == 2) {
      if (const auto length = ParseInt32(t[1])) {
        ref.Length = *length;
        ref.HasLength = true;
      }
    }
  }
  reader.FreeDict();
  if (reader.Modern) header.chain = ReadFilterChain(filter_tokens, parms_tokens);
  return header;
}

// A filter name for a message: bytes outside printable ASCII in PDF's own #xx form, so the
// line stays valid UTF-8 whatever the file holds.
std::string PrintableName(const std::string& name) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : name) {
    const auto ch = static_cast<unsigned char>(c);
    if (ch > 32 && ch < 127 && ch != '#') {
      out += c;
    } else {
      out += '#';
      out += kHex[ch >> 4];
      out += kHex[ch & 15];
    }
  }
  return out;
}

// The modern reader's length of the data from start: /Length where "endstream" follows it,
// otherwise (missing, wrong or beyond the file) up to the next "endstream".
int64_t ModernLength(const TDocReader& reader, int64_t start, const TContentRef& ref) {
  const std::string& data = reader.Buffer();
  const auto size = static_cast<int64_t>(data.size());
  if (ref.HasLength && ref.Length >= 0 && start + ref.Length <= size) {
    std::size_t after = static_cast<std::size_t>(start + ref.Length);
    while (after < data.size() && (IsPdfSpace(static_cast<unsigned char>(data[after])) ||
                                   data[after] == '\t' || data[after] == '\f' || data[after] == 0))
      ++after;
    if (data.compare(after, 9, "endstream") == 0) return ref.Length;
  }
  const std::size_t end = data.find("endstream", static_cast<std::size_t>(start));
  int64_t length = (end == std::string::npos ? size : static_cast<int64_t>(end)) - start;
  // The line end before the keyword belongs to it.
  while (length > 0 &&
         IsLineEnd(static_cast<unsigned char>(data[static_cast<std::size_t>(start + length - 1)])))
    --length;
  return std::min<int64_t>(length, INT32_MAX);
}

}  // namespace

TPageContent ReadPageContent(TDocReader& reader, TPageRec& page, int page_number,
                             const TStatusLineSink& status) {
  TPageContent result;
  const std::size_t limit = reader.Caps.Limits.ContentBytes;
  // A page that names one stream many times (a shared /Contents array) reads its dictionary
  // once: what it says depends on the object alone.
  struct KnownStream {
    StreamHeader header;
    int32_t length = 0;
    bool has_length = false;
    int64_t data = -1;  // the first data byte; -1 when there is no data to read
  };
  std::unordered_map<int32_t, KnownStream> known;
  for (TContentRef& ref : page.Contents) {
    if (!ref.Valid || !reader.GotoObject(ref.ObjNum, ref.Gen)) continue;
    if (!reader.CountStreamBytes(0)) break;
    auto it = known.find(ref.ObjNum);
    if (it == known.end()) {
      KnownStream stream;
      TContentRef first = ref;
      stream.header = ReadStreamHeader(reader, first);
      stream.length = first.Length;
      stream.has_length = first.HasLength;
      if (reader.Modern) {
        if (reader.AtStreamData()) {
          stream.data = reader.GetPos();
          const int64_t length = ModernLength(reader, stream.data, first);
          stream.length = static_cast<int32_t>(length);
          stream.has_length = true;
        }
      } else if (first.HasLength && reader.AtStreamData()) {
        stream.data = reader.GetPos();
      }
      it = known.emplace(ref.ObjNum, std::move(stream)).first;
    }
    const KnownStream& stream = it->second;
    if (stream.has_length) {
      ref.Length = stream.length;
      ref.HasLength = true;
    }
    if (stream.data < 0) {
      reader.Invalid = true;
      continue;
    }
    reader.SetPos(stream.data);
    const StreamHeader& header = stream.header;
    // A stream claiming more bytes than the file holds gets what is there.
    std::string data = reader.ReadBytes(ref.Length);
    reader.CountStreamBytes(static_cast<int64_t>(data.size()));
    if (reader.Encrypted && reader.Modern) {
      reader.Security.DecryptStream(ref.ObjNum, ref.Gen, data, StreamCryptFilter(header.chain));
    } else if (reader.Encrypted) {
      reader.Security.DecryptObject(ref.ObjNum, ref.Gen, data);
    }
    if (data.empty()) continue;
    bool stopped = false;
    bool cut = false;
    for (std::size_t k = 0; k < header.filters.size(); ++k) {
      const std::string& filter = header.filters[k];
      bool reached = false;
      std::optional<std::string> decoded;
      if (reader.Modern && k < header.chain.size() &&
          (decoded = DecodeStep(header.chain[k], data, limit, &reached))) {
        data = std::move(*decoded);
      } else if (filter == "/ASCII85Decode") {
        data = DecodeASCII85(data, limit, &reached);
      } else if (filter == "/FlateDecode") {
        data = DecodeFlate(data, limit, &reached);
      } else if (filter == "/LZWDecode") {
        data = DecodeLZW(data, limit, &reached);
      } else {
        status("Die Komprimierung " + PrintableName(filter) +
               " wird nicht unterstützt, deshalb kann die Seite " + std::to_string(page_number) +
               " nicht gelesen werden!");
        result.PageOk = false;
        stopped = true;
        break;
      }
      reader.CountStreamBytes(static_cast<int64_t>(data.size()));
      cut = cut || reached;
    }
    if (stopped) continue;
    // The page's streams together stay within the cap as well; what fits is kept.
    const std::size_t room = limit - std::min(limit, result.ContentBuffer.size());
    if (data.size() + 1 > room) {
      data.resize(room > 0 ? room - 1 : 0);
      cut = true;
    }
    if (cut) reader.Caps.Reached(TCap::Content);
    if (room == 0) break;
    result.ContentBuffer += data;
    result.ContentBuffer += '\n';
    if (cut) break;
  }
  return result;
}

}  // namespace paginor
