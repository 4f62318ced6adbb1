#include "text/fonts.h"

#include <functional>
#include <optional>
#include <unordered_map>

#include "pdf/literals.h"

namespace paginor {

int TPageFonts::Find(int page_index, const std::string& name) const {
  if (page_index < 0 || page_index >= static_cast<int>(index_by_page.size())) return -1;
  const auto& names = index_by_page[static_cast<std::size_t>(page_index)];
  const auto it = names.find(name);
  return it == names.end() ? -1 : it->second;
}

namespace {

bool IsReference(const TDictEntry& e) {
  return e.Tokens.size() >= 4 && e.Tokens[3] == "R";
}

// Follows a reference entry: the position after the object's header, or nothing.
std::optional<int32_t> Follow(TDocReader& reader, const TDictEntry& e) {
  const auto num = ParseInt32(e.Tokens[1]);
  const auto gen = ParseInt32(e.Tokens[2]);
  if (!num || !gen) return std::nullopt;
  const int64_t saved = reader.GetPos();
  std::optional<int32_t> pos;
  if (reader.GotoObject(*num, *gen)) pos = static_cast<int32_t>(reader.GetPos());
  reader.SetPos(saved);
  return pos;
}

void StoreWidth(TFontRec& font, std::size_t index, const std::string& token) {
  if (index > 255) return;
  if (const auto w = ParseNumber(token)) {
    font.Widths[index] = *w;
    font.WidthDefined[index] = true;
  }
}

void ReadWidthsObject(TDocReader& reader, TFontRec& font, int32_t pos) {
  const int64_t saved = reader.GetPos();
  reader.SetPos(pos);
  if (reader.ReadToken() == "[") {
    // Entries past the 256th are not stored, so they are not read either.
    for (std::size_t i = 0; i < font.Widths.size() && !reader.PastEnd(); ++i) {
      const std::string t = reader.ReadToken();
      if (t == "]") break;
      StoreWidth(font, i, t);
    }
  }
  reader.SetPos(saved);
}

std::optional<TEncodingId> EncodingNamed(const std::string& name) {
  if (name == "/StandardEncoding") return StandardEncoding;
  if (name == "/MacRomanEncoding") return MacRomanEncoding;
  if (name == "/WinAnsiEncoding") return WinAnsiEncoding;
  if (name == "/PDFDocEncoding") return PDFDocEncoding;
  return std::nullopt;
}

// A /Differences array from t[at] ("[") to its "]".
void ReadDifferencesArray(const std::vector<std::string>& t, std::size_t at, TFontRec& font) {
  int64_t code = 0;
  for (std::size_t i = at + 1; i < t.size() && t[i] != "]"; ++i) {
    if (t[i].starts_with('/')) {
      const auto w = GlyphNameToWinAnsi(std::string_view(t[i]).substr(1));
      if (w && code >= 0 && code <= 255) {
        font.DiffCodes[static_cast<std::size_t>(code)] = *w;
        font.DiffDefined[static_cast<std::size_t>(code)] = true;
      }
      ++code;
    } else {
      code = ParseInt32(t[i]).value_or(static_cast<int32_t>(std::min<int64_t>(code, INT32_MAX)));
    }
  }
}

// The keys of an encoding dictionary written inline, from t[at] on: /BaseEncoding and
// /Differences.
void ReadEncodingTokens(const std::vector<std::string>& t, std::size_t at, TFontRec& font) {
  for (std::size_t i = at; i + 1 < t.size(); ++i) {
    if (t[i] == "/BaseEncoding") {
      if (const auto e = EncodingNamed(t[i + 1])) font.Encoding = *e;
    } else if (t[i] == "/Differences" && t[i + 1] == "[") {
      ReadDifferencesArray(t, i + 1, font);
    }
  }
}

void ReadFontDictionary(TDocReader& reader, TFontRec& font) {
  reader.SetPos(font.FontDictPos);
  reader.ReadDict();
  std::vector<TDictEntry> entries(reader.DictEntries.begin(), reader.DictEntries.end());
  reader.FreeDict();
  for (const TDictEntry& e : entries) {
    const auto& t = e.Tokens;
    if (t.size() < 2) continue;  // a key without a value means nothing
    const std::string& key = t[0];
    if (key == "/Subtype") {
      font.IsType3 = t[1] == "/Type3";
    } else if (key == "/FirstChar") {
      font.FirstChar = ParseInt32(t[1]).value_or(font.FirstChar);
    } else if (key == "/Widths" && IsReference(e)) {
      if (const auto pos = Follow(reader, e)) ReadWidthsObject(reader, font, *pos);
    } else if (key == "/Widths" && t.size() >= 4 && t[1] == "[") {
      for (std::size_t i = 2; i + 1 < t.size(); ++i)
        StoreWidth(font, i - 2, t[i]);
    } else if (key == "/FontBBox" && t[1] == "[") {
      const auto lly = t.size() > 3 ? ParseNumber(t[3]) : std::nullopt;
      const auto ury = t.size() > 5 ? ParseNumber(t[5]) : std::nullopt;
      if (lly && ury) font.BBoxHeight = *ury - *lly;
    } else if (key == "/Encoding" && IsReference(e)) {
      if (const auto pos = Follow(reader, e)) {
        font.EncodingDictPos = *pos;
        font.HasEncodingDict = true;
      }
    } else if (key == "/Encoding" && t[1] == "<<" && reader.Modern) {
      ReadEncodingTokens(t, 2, font);
    } else if (key == "/Encoding") {
      if (t[1] == "/StandardEncoding") font.Encoding = StandardEncoding;
      if (t[1] == "/MacRomanEncoding") font.Encoding = MacRomanEncoding;
      if (t[1] == "/WinAnsiEncoding") font.Encoding = WinAnsiEncoding;
      if (t[1] == "/PDFDocEncoding") font.Encoding = PDFDocEncoding;
    }
  }
}

void ReadDifferences(TDocReader& reader, TFontRec& font) {
  reader.SetPos(font.EncodingDictPos);
  reader.ReadDict();
  for (const TDictEntry& e : reader.DictEntries) {
    const auto& t = e.Tokens;
    if (t[0] == "/BaseEncoding" && t.size() >= 2 && reader.Modern) {
      if (const auto base = EncodingNamed(t[1])) font.Encoding = *base;
    }
    if (t[0] != "/Differences" || t.size() < 4 || t[1] != "[") continue;
    int64_t code = 0;
    for (std::size_t i = 2; i + 1 < t.size(); ++i) {
      if (t[i].starts_with('/')) {
        const auto w = GlyphNameToWinAnsi(std::string_view(t[i]).substr(1));
        if (w && code >= 0 && code <= 255) {
          font.DiffCodes[static_cast<std::size_t>(code)] = *w;
          font.DiffDefined[static_cast<std::size_t>(code)] = true;
        }
        ++code;
      } else {
        code = ParseInt32(t[i]).value_or(static_cast<int32_t>(std::min<int64_t>(code, INT32_MAX)));
      }
    }
  }
  reader.FreeDict();
}

}  // namespace

TPageFonts ReadFonts(TDocReader& reader, TDynaArray<TFontRec>& fonts,
                     const std::function<void(const std::string&)>& status) {
  TPageFonts pages;
  pages.index_by_page.assign(static_cast<std::size_t>(reader.Pages.Count()), {});
  std::unordered_map<int32_t, int> index_of_object;
  // The names of all pages count against the resource cap: many pages naming one large
  // dictionary must not multiply it.
  std::size_t names_left = reader.Caps.Limits.ResourceNames;
  const auto room = [&reader](bool left) {
    if (!left) reader.Caps.Reached(TCap::Resources);
    return left;
  };
  for (int p = 0; p < reader.Pages.Count(); ++p) {
    const TPageRec& page = reader.Pages[p];
    if (!page.HasFonts) continue;
    if (!room(names_left > 0)) break;
    auto& names = pages.index_by_page[static_cast<std::size_t>(p)];
    reader.SetPos(page.FontPos);
    reader.ReadDict();
    std::vector<TDictEntry> entries(reader.DictEntries.begin(), reader.DictEntries.end());
    reader.FreeDict();
    for (const TDictEntry& e : entries) {
      const std::string& name = e.Tokens[0];
      if (names.contains(name)) continue;
      if (!room(names_left > 0)) break;
      --names_left;
      // Font objects are told apart by their number; an inline dictionary is its own font.
      int32_t num = -1;
      if (IsReference(e)) num = ParseInt32(e.Tokens[1]).value_or(-1);
      if (num >= 0) {
        const auto known = index_of_object.find(num);
        if (known != index_of_object.end()) {
          names[name] = known->second;
          continue;
        }
      }
      if (!room(fonts.Count() < reader.Caps.Limits.FontRecords)) continue;
      const int index = fonts.Count();
      TFontRec* font = fonts.Append();
      font->Name = name;
      font->FontDictPos = IsReference(e) ? Follow(reader, e).value_or(0) : e.ValuePos;
      if (num >= 0) index_of_object[num] = index;
      names[name] = index;
    }
  }
  status(std::to_string(fonts.Count()) + " Schriftarten gefunden...");
  for (TFontRec& font : fonts)
    ReadFontDictionary(reader, font);
  for (TFontRec& font : fonts) {
    if (font.HasEncodingDict) ReadDifferences(reader, font);
  }
  // The interpreter's current font starts on the last record.
  if (fonts.Count() > 0) fonts.Select(fonts.Count() - 1);
  return pages;
}

std::string MapToWinAnsi(std::string_view bytes, TEncodingId encoding,
                         const std::array<uint8_t, 256>& diff_codes,
                         const std::array<bool, 256>& diff_defined) {
  std::string out(bytes.size(), '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<uint8_t>(bytes[i]);
    out[i] = static_cast<char>(diff_defined[b] ? diff_codes[b]
                                               : ConvertCode(b, encoding, WinAnsiEncoding));
  }
  return out;
}

}  // namespace paginor
