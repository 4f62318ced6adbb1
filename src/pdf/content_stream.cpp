#include "pdf/content_stream.h"

#include <optional>
#include <unordered_map>
#include <vector>

#include <algorithm>

#include "pdf/stream_reader.h"

namespace paginor {

namespace {

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

}  // namespace

TPageContent ReadPageContent(TDocReader& reader, TPageRec& page, int page_number,
                             const TStatusSink& status) {
  TPageContent result;
  const std::size_t limit = reader.Caps.Limits.ContentBytes;
  // A page that names one stream many times (a shared /Contents array) reads its dictionary
  // once: what it says depends on the object alone.
  struct KnownStream {
    TStreamHeader header;
    int64_t data = -1;  // the first data byte; -1 when there is no data to read
  };
  std::unordered_map<int32_t, KnownStream> known;
  for (TContentRef& ref : page.Contents) {
    if (!ref.Valid || !reader.GotoObject(ref.ObjNum, ref.Gen)) continue;
    if (!reader.CountStreamBytes(0)) break;
    auto it = known.find(ref.ObjNum);
    if (it == known.end()) {
      KnownStream stream;
      reader.ReadDict();
      stream.header = StreamHeaderOf(reader);
      reader.FreeDict();
      // The classic reader reads no data without a /Length.
      if ((reader.Rules().StreamRecovery || stream.header.Length) && EnterStreamData(reader)) {
        stream.data = reader.GetPos();
        stream.header.Length = StreamDataLength(reader, stream.data, stream.header.Length);
      }
      it = known.emplace(ref.ObjNum, std::move(stream)).first;
    }
    const KnownStream& stream = it->second;
    if (stream.header.Length) {
      ref.Length =
          static_cast<int32_t>(std::clamp<int64_t>(*stream.header.Length, INT32_MIN, INT32_MAX));
      ref.HasLength = true;
    }
    if (stream.data < 0) {
      reader.Invalid = true;
      continue;
    }
    reader.SetPos(stream.data);
    // A stream claiming more bytes than the file holds gets what is there.
    std::string data = reader.ReadBytes(ref.Length);
    reader.CountStreamBytes(static_cast<int64_t>(data.size()));
    DecryptStreamData(reader, ref.ObjNum, ref.Gen, stream.header.Chain, data);
    if (data.empty()) continue;
    TUndone undone = UndoFilters(reader, stream.header.Chain, std::move(data), limit);
    if (!undone.UnknownFilter.empty()) {
      status("Die Komprimierung " + PrintableName(undone.UnknownFilter) +
             " wird nicht unterstützt, deshalb kann die Seite " + std::to_string(page_number) +
             " nicht gelesen werden!");
      result.PageOk = false;
      continue;
    }
    data = std::move(undone.Data);
    bool cut = undone.LimitReached;
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
