#include "text/fonts.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
#include <map>
#include <optional>
#include <unordered_map>

#include "output/cp1252.h"
#include "pdf/literals.h"
#include "pdf/stream_reader.h"
#include "text/cid_collections.h"
#include "text/font_program.h"
#include "text/unicode_text.h"

namespace paginor {

int TPageFonts::Find(int page_index, const std::string& name) const {
  if (page_index < 0 || page_index >= static_cast<int>(index_by_page.size())) return -1;
  const auto& names = index_by_page[static_cast<std::size_t>(page_index)];
  const auto it = names.find(name);
  return it == names.end() ? -1 : it->second;
}

namespace {

// Follows a reference entry: the position after the object's header, or nothing.
std::optional<int64_t> Follow(TDocReader& reader, const TDictEntry& e) {
  const auto num = ParseInt32(e.Tokens[1]);
  const auto gen = ParseInt32(e.Tokens[2]);
  if (!num || !gen) return std::nullopt;
  return reader.ObjectBodyPos(*num, *gen);
}

void StoreWidth(TFontRec& font, std::size_t index, const std::string& token) {
  if (index > 255) return;
  if (const auto w = ParseNumber(token)) {
    font.Widths[index] = *w;
    font.WidthDefined[index] = true;
  }
}

void ReadWidthsObject(TDocReader& reader, TFontRec& font, int64_t pos) {
  TSavedCursor saved(reader);
  reader.SetPos(pos);
  if (reader.ReadToken() == "[") {
    // Entries past the 256th are not stored, so they are not read either.
    for (std::size_t i = 0; i < font.Widths.size() && !reader.PastEnd(); ++i) {
      const std::string t = reader.ReadToken();
      if (t == "]") break;
      StoreWidth(font, i, t);
    }
  }
}

std::optional<TEncodingId> EncodingNamed(const std::string& name) {
  if (name == "/StandardEncoding") return StandardEncoding;
  if (name == "/MacRomanEncoding") return MacRomanEncoding;
  if (name == "/WinAnsiEncoding") return WinAnsiEncoding;
  if (name == "/PDFDocEncoding") return PDFDocEncoding;
  return std::nullopt;
}

// A /Differences array from t[at] ("[") to its "]" or to t[end].
void ReadDifferencesArray(const std::vector<std::string>& t, std::size_t at, std::size_t end,
                          TFontRec& font) {
  int64_t code = 0;
  for (std::size_t i = at + 1; i < std::min(end, t.size()) && t[i] != "]"; ++i) {
    if (t[i].starts_with('/')) {
      const auto w = GlyphNameToWinAnsi(std::string_view(t[i]).substr(1));
      if (w && code >= 0 && code <= 255) {
        font.DiffCodes[static_cast<std::size_t>(code)] = *w;
        font.DiffDefined[static_cast<std::size_t>(code)] = true;
      }
      if (code >= 0 && code <= 255) font.DiffNames[static_cast<int>(code)] = t[i].substr(1);
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
      if (const auto e = EncodingNamed(t[i + 1])) {
        font.Encoding = *e;
        font.HasBaseEncoding = true;
      }
    } else if (t[i] == "/Differences" && t[i + 1] == "[") {
      ReadDifferencesArray(t, i + 1, t.size(), font);
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
    } else if (key == "/BaseFont" && t[1].size() > 1 && t[1][0] == '/') {
      font.BaseFont = t[1].substr(1);
    } else if (key == "/FirstChar") {
      font.FirstChar = ParseInt32(t[1]).value_or(font.FirstChar);
    } else if (key == "/Widths" && IsReference(e)) {
      if (const auto pos = Follow(reader, e)) ReadWidthsObject(reader, font, *pos);
    } else if (key == "/Widths" && t.size() >= 4 && t[1] == "[") {
      for (std::size_t i = 2; i + 1 < t.size(); ++i)
        StoreWidth(font, i - 2, t[i]);
    } else if (key == "/FontMatrix" && t[1] == "[" && t.size() >= 8 && reader.Rules().FontDetails) {
      std::array<double, 6> m{};
      bool numbers = true;
      for (std::size_t k = 0; k < 6 && numbers; ++k) {
        const auto v = ParseNumber(t[2 + k]);
        numbers = v && std::isfinite(*v);
        if (numbers) m[k] = *v;
      }
      if (numbers) font.FontMatrix = m;
    } else if (key == "/FontBBox" && t[1] == "[") {
      const auto lly = t.size() > 3 ? ParseNumber(t[3]) : std::nullopt;
      const auto ury = t.size() > 5 ? ParseNumber(t[5]) : std::nullopt;
      if (lly && ury) font.BBoxHeight = *ury - *lly;
    } else if (key == "/Encoding" && IsReference(e)) {
      if (const auto pos = Follow(reader, e)) {
        font.EncodingDictPos = *pos;
        font.HasEncodingDict = true;
      }
    } else if (key == "/Encoding" && t[1] == "<<" && reader.Rules().FontDetails) {
      ReadEncodingTokens(t, 2, font);
    } else if (key == "/Encoding") {
      font.HasBaseEncoding = EncodingNamed(t[1]).has_value();
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
    if (t[0] == "/BaseEncoding" && t.size() >= 2 && reader.Rules().FontDetails) {
      if (const auto base = EncodingNamed(t[1])) {
        font.Encoding = *base;
        font.HasBaseEncoding = true;
      }
    }
    if (t[0] != "/Differences" || t.size() < 4 || t[1] != "[") continue;
    ReadDifferencesArray(t, 1, t.size() - 1, font);  // the last token is the closing "]"
  }
  reader.FreeDict();
}

// The tokens of the object a reference names: an array to its bracket, a dictionary to its
// closing ">>", or one token.
std::vector<std::string> ObjectTokens(TDocReader& reader, int32_t num) {
  return reader.ObjectTokens(num, 1000000);
}

std::optional<int32_t> ReferenceAt(const std::vector<std::string>& t, std::size_t i) {
  if (i + 2 >= t.size() || t[i + 2] != "R") return std::nullopt;
  return ParseInt32(t[i]);
}

// /W of a CID font: "c [w1 w2 ...]" and "c_first c_last w".
void ReadCidWidths(const std::vector<std::string>& t, std::size_t at, TFontExtras& extras) {
  std::vector<double> numbers;
  for (std::size_t i = at + 1; i < t.size() && t[i] != "]"; ++i) {
    if (t[i] == "[") {
      if (numbers.empty()) return;
      auto cid = static_cast<int64_t>(numbers.back());
      numbers.pop_back();
      for (++i; i < t.size() && t[i] != "]"; ++i) {
        if (const auto w = ParseNumber(t[i]); w && extras.Widths.size() < 100000) {
          extras.Widths[static_cast<uint32_t>(cid++)] = *w;
        }
      }
      continue;
    }
    if (const auto n = ParseNumber(t[i])) numbers.push_back(*n);
    if (numbers.size() == 3) {
      const auto first = static_cast<int64_t>(numbers[0]);
      const auto last = static_cast<int64_t>(numbers[1]);
      for (int64_t cid = first; cid <= last && cid - first < 65536 && extras.Widths.size() < 100000;
           ++cid) {
        if (cid >= 0) extras.Widths[static_cast<uint32_t>(cid)] = numbers[2];
      }
      numbers.clear();
    }
  }
}

// The decoded data of stream object num; the cursor is left where it was.
std::optional<std::string> StreamOf(TDocReader& reader, int32_t num) {
  if (num < 0 || num >= reader.XrefCount()) return std::nullopt;
  return ReadStreamObject(reader, num, reader.XrefTable[static_cast<std::size_t>(num)].Gen);
}

std::optional<TToUnicode> ReadToUnicode(TDocReader& reader, int32_t num) {
  std::optional<TToUnicode> map;
  if (const auto data = StreamOf(reader, num)) {
    map = TToUnicode::Parse(*data);
    if (map->Empty()) map.reset();
  }
  return map;
}

// The characters a glyph name stands for: the glyph table, "uniXXXX" and "uXXXX" names, and
// names with a suffix ("one.oldstyle", "a.sc") or of ligatures ("f_f_i"); nothing when unknown.
std::optional<std::u32string> GlyphNameText(std::string_view name) {
  if (const auto code = GlyphNameToWinAnsi(name)) {
    return std::u32string(1, Cp1252ToUnicode(static_cast<unsigned char>(*code)));
  }
  if (const auto listed = GlyphListCharacters(name)) return OutputCharacters(*listed);
  if (const auto named = GlyphNameToUnicode(name)) return OutputCharacters(*named);
  const std::size_t dot = name.find('.');
  if (dot != std::string_view::npos && dot > 0) return GlyphNameText(name.substr(0, dot));
  if (name.find('_') != std::string_view::npos) {
    std::u32string text;
    for (std::size_t start = 0; start <= name.size();) {
      const std::size_t end = std::min(name.find('_', start), name.size());
      const auto part = GlyphNameText(name.substr(start, end - start));
      if (!part) return std::nullopt;
      text += *part;
      start = end + 1;
    }
    return text;
  }
  return std::nullopt;
}

// The encoding of the standard font Symbol or ZapfDingbats that base_font names (also by the
// names of their common substitutes), else null.
const std::array<TSymbolCode, 256>* StandardSymbolCodes(std::string_view base_font) {
  if (base_font.size() > 7 && base_font[7] == '+') base_font.remove_prefix(8);  // a subset
  if (base_font.find("Dingbats") != std::string_view::npos) return &kDingbatsCodes;
  if (base_font == "Symbol" || base_font.starts_with("Symbol,") ||
      base_font.starts_with("Symbol-") || base_font.starts_with("SymbolMT") ||
      base_font == "StandardSymL" || base_font.starts_with("StandardSymbolsPS")) {
    return &kSymbolCodes;
  }
  return nullptr;
}

// Whether the font's own program or its kind decides the codes that no named encoding and no
// /Differences explain: the names built into an embedded Type 1 program, else StandardEncoding
// for Type 1 fonts and WinAnsiEncoding for TrueType fonts (symbol fonts keep their codes).
struct TBuiltinCodes {
  std::map<int, std::string> names;
  std::optional<TEncodingId> encoding;
};

TBuiltinCodes ReadBuiltinCodes(TDocReader& reader, const TFontRec& font,
                               const std::vector<TDictEntry>& entries) {
  TBuiltinCodes codes;
  if (font.HasBaseEncoding) return codes;
  std::string subtype;
  std::optional<int32_t> descriptor;
  for (const TDictEntry& e : entries) {
    const auto& t = e.Tokens;
    if (t.size() < 2) continue;
    if (t[0] == "/Subtype") subtype = t[1];
    if (t[0] == "/FontDescriptor") descriptor = ReferenceAt(t, 1);
  }
  // The standard symbol fonts have encodings of their own, not the default of their kind.
  const bool symbol_font = StandardSymbolCodes(font.BaseFont) != nullptr;
  if (subtype == "/Type1" || subtype == "/MMType1") {
    if (!symbol_font) codes.encoding = StandardEncoding;
    if (descriptor) {
      const std::vector<std::string> d = ObjectTokens(reader, *descriptor);
      for (std::size_t i = 0; i + 1 < d.size(); ++i) {
        if (d[i] != "/FontFile" && d[i] != "/FontFile3") continue;
        const auto program_object = ReferenceAt(d, i + 1);
        const auto program = program_object ? StreamOf(reader, *program_object) : std::nullopt;
        if (program) codes.names = ProgramEncodingNames(*program);
        break;
      }
    }
  } else if (subtype == "/TrueType") {
    if (!symbol_font) codes.encoding = WinAnsiEncoding;
    // A symbolic TrueType program explains its codes itself: its map and glyph names.
    if (descriptor) {
      const std::vector<std::string> d = ObjectTokens(reader, *descriptor);
      int64_t flags = 0;
      std::optional<int32_t> program_object;
      for (std::size_t i = 0; i + 1 < d.size(); ++i) {
        if (d[i] == "/Flags") flags = ParseInt64(d[i + 1]).value_or(0);
        if (d[i] == "/FontFile2") program_object = ReferenceAt(d, i + 1);
      }
      constexpr int64_t kSymbolic = 4;
      if ((flags & kSymbolic) != 0 && program_object && !font.HasEncodingDict) {
        if (const auto program = StreamOf(reader, *program_object)) {
          codes.names = ProgramEncodingNames(*program);
        }
      }
    }
  }
  return codes;
}

// The characters of the CIDs of a CID-keyed TrueType font (the tokens of its descendant) from
// its embedded program, through /CIDToGIDMap.
std::unordered_map<uint32_t, char32_t> ReadCidCharacters(TDocReader& reader,
                                                         const std::vector<std::string>& d) {
  std::optional<int32_t> descriptor;
  std::optional<int32_t> cid_to_gid;
  for (std::size_t i = 0; i + 1 < d.size(); ++i) {
    if (d[i] == "/FontDescriptor") descriptor = ReferenceAt(d, i + 1);
    if (d[i] == "/CIDToGIDMap") cid_to_gid = ReferenceAt(d, i + 1);
  }
  if (!descriptor) return {};
  std::optional<std::string> program;
  const std::vector<std::string> f = ObjectTokens(reader, *descriptor);
  for (std::size_t i = 0; i + 1 < f.size(); ++i) {
    if (f[i] != "/FontFile2") continue;
    if (const auto object = ReferenceAt(f, i + 1)) program = StreamOf(reader, *object);
    break;
  }
  if (!program) return {};
  std::unordered_map<uint32_t, char32_t> glyphs = ProgramGlyphCharacters(*program);
  if (!cid_to_gid) return glyphs;  // /Identity: each CID is its glyph
  const std::optional<std::string> map = StreamOf(reader, *cid_to_gid);
  std::unordered_map<uint32_t, char32_t> cids;
  for (std::size_t cid = 0; map && 2 * cid + 1 < map->size() && cid < 65536; ++cid) {
    const uint32_t glyph =
        static_cast<uint8_t>((*map)[2 * cid]) << 8 | static_cast<uint8_t>((*map)[2 * cid + 1]);
    if (const auto it = glyphs.find(glyph); it != glyphs.end()) {
      cids[static_cast<uint32_t>(cid)] = it->second;
    }
  }
  return cids;
}

// Whether a predefined CMap's codes are the characters themselves, and in which form.
TUnicodeCodes UnicodeCodesOf(std::string_view name) {
  if (!name.starts_with("/Uni")) return TUnicodeCodes::None;
  if (name.find("-UCS2-") != std::string_view::npos ||
      name.find("-UTF16-") != std::string_view::npos)
    return TUnicodeCodes::Utf16;
  if (name.find("-UTF8-") != std::string_view::npos) return TUnicodeCodes::Utf8;
  if (name.find("-UTF32-") != std::string_view::npos) return TUnicodeCodes::Utf32;
  return TUnicodeCodes::None;
}

// The table of the character collection that a CID font's /CIDSystemInfo names.
std::shared_ptr<const TCollectionCharacters> CollectionCharactersOf(
    TDocReader& reader, const std::vector<std::string>& d) {
  std::vector<std::string> info;
  for (std::size_t i = 0; i + 1 < d.size(); ++i) {
    if (d[i] != "/CIDSystemInfo") continue;
    if (const auto object = ReferenceAt(d, i + 1)) {
      info = ObjectTokens(reader, *object);
    } else {
      const auto end = std::find(d.begin() + static_cast<std::ptrdiff_t>(i), d.end(), ">>");
      info.assign(d.begin() + static_cast<std::ptrdiff_t>(i), end);
    }
    break;
  }
  std::string registry;
  std::string ordering;
  for (std::size_t i = 0; i + 1 < info.size(); ++i) {
    const std::string& value = info[i + 1];
    if (value.size() < 2 || value.front() != '(' || value.back() != ')') continue;
    if (info[i] == "/Registry") registry = value.substr(1, value.size() - 2);
    if (info[i] == "/Ordering") ordering = value.substr(1, value.size() - 2);
  }
  if (registry.empty() || ordering.empty()) return nullptr;
  return CollectionCharacters(registry + "-" + ordering);
}

// The modern reader's view of a font: the characters of each code and, for Type0 fonts, the
// widths of their CIDs.
std::shared_ptr<const TFontExtras> ReadFontExtras(TDocReader& reader, const TFontRec& font) {
  auto extras = std::make_shared<TFontExtras>();
  reader.SetPos(font.FontDictPos);
  reader.ReadDict();
  const std::vector<TDictEntry> entries(reader.DictEntries.begin(), reader.DictEntries.end());
  reader.FreeDict();
  std::optional<int32_t> to_unicode;
  std::optional<int32_t> descendant;
  std::optional<int32_t> encoding_cmap;
  std::string encoding_name;
  for (const TDictEntry& e : entries) {
    const auto& t = e.Tokens;
    if (t.size() < 2) continue;
    if (t[0] == "/Subtype") extras->Type0 = t[1] == "/Type0";
    if (t[0] == "/ToUnicode") to_unicode = ReferenceAt(t, 1);
    if (t[0] == "/Encoding") {
      encoding_cmap = ReferenceAt(t, 1);
      encoding_name = t[1];
    }
    if (t[0] == "/DescendantFonts") {
      if (t[1] == "[") {
        descendant = ReferenceAt(t, 2);
      } else if (const auto array = ReferenceAt(t, 1)) {
        descendant = ReferenceAt(ObjectTokens(reader, *array), 1);
      }
    }
  }
  if (to_unicode) extras->ToUnicode = ReadToUnicode(reader, *to_unicode);
  if (extras->Type0) {
    // Identity-H and Identity-V (and CMaps not known here): every code is two bytes and is its
    // own CID; the UCS2 and UTF16 CMaps: two bytes that are the character; an embedded CMap
    // says its code length and CIDs.
    extras->CodeBytes = 2;
    extras->UnicodeCodes = UnicodeCodesOf(encoding_name);
    if (encoding_cmap) {
      if (const auto data = StreamOf(reader, *encoding_cmap)) {
        auto cids = std::make_shared<TCodeToCid>(TCodeToCid::Parse(*data, PredefinedCMapProgram));
        extras->CodeBytes = cids->CodeBytes();
        extras->Cids = std::move(cids);
      }
    } else if (encoding_name.starts_with('/') && encoding_name != "/Identity-H" &&
               encoding_name != "/Identity-V") {
      if (auto cids = PredefinedCodeToCid(std::string_view(encoding_name).substr(1))) {
        extras->CodeBytes = cids->CodeBytes();
        extras->Cids = std::move(cids);
      }
    }
    if (descendant) {
      const std::vector<std::string> d = ObjectTokens(reader, *descendant);
      if (!extras->ToUnicode) extras->CidCharacters = ReadCidCharacters(reader, d);
      extras->CollectionCharacters = CollectionCharactersOf(reader, d);
      for (std::size_t i = 0; i + 1 < d.size(); ++i) {
        if (d[i] == "/DW") extras->DefaultWidth = ParseNumber(d[i + 1]).value_or(1000);
        if (d[i] == "/W" && d[i + 1] == "[") ReadCidWidths(d, i + 1, *extras);
        if (d[i] == "/W" && ReferenceAt(d, i + 1)) {
          const std::vector<std::string> w = ObjectTokens(reader, *ReferenceAt(d, i + 1));
          if (!w.empty() && w[0] == "[") ReadCidWidths(w, 0, *extras);
        }
      }
    }
    return extras;
  }
  const TBuiltinCodes builtin = ReadBuiltinCodes(reader, font, entries);
  const TEncodingId base = builtin.encoding.value_or(font.Encoding);
  if (!font.HasBaseEncoding) extras->SymbolCodes = StandardSymbolCodes(font.BaseFont);
  for (int code = 0; code < 256; ++code) {
    std::u32string text;
    const auto mapped =
        extras->ToUnicode ? extras->ToUnicode->Lookup(static_cast<uint32_t>(code)) : std::nullopt;
    const auto name = font.DiffNames.find(code);
    const auto builtin_name = builtin.names.find(code);
    std::optional<std::u32string> named;
    if (mapped) {
      text = OutputCharacters(*mapped);
    } else if (font.DiffDefined[static_cast<std::size_t>(code)]) {
      text = std::u32string(1, Cp1252ToUnicode(font.DiffCodes[static_cast<std::size_t>(code)]));
    } else if (name != font.DiffNames.end() && (named = GlyphNameText(name->second))) {
      text = std::move(*named);
    } else if (builtin_name != builtin.names.end() &&
               (named = GlyphNameText(builtin_name->second))) {
      text = std::move(*named);
    } else if (extras->SymbolCodes &&
               (*extras->SymbolCodes)[static_cast<std::size_t>(code)].character != 0) {
      text = std::u32string(1, (*extras->SymbolCodes)[static_cast<std::size_t>(code)].character);
    } else {
      text = std::u32string(
          1, Cp1252ToUnicode(ConvertCode(static_cast<uint8_t>(code), base, WinAnsiEncoding)));
    }
    extras->Text[static_cast<std::size_t>(code)] = std::move(text);
  }
  return extras;
}

}  // namespace

void ReadFontRecord(TDocReader& reader, TFontRec& font) {
  ReadFontDictionary(reader, font);
  if (font.HasEncodingDict) ReadDifferences(reader, font);
  if (reader.Rules().FontDetails) font.Extras = ReadFontExtras(reader, font);
}

TPageFonts ReadFonts(TDocReader& reader, TDynaArray<TFontRec>& fonts, const TStatusSink& status) {
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
  if (reader.Rules().FontDetails) {
    for (TFontRec& font : fonts)
      font.Extras = ReadFontExtras(reader, font);
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
