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
#include "pdf/object_resolver.h"
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

// /W of a CID font: "c [w1 w2 ...]" and "c_first c_last w".
void ReadCidWidths(const TPdfArray& items, TFontExtras& extras) {
  std::vector<double> numbers;
  for (const TPdfObject& item : items) {
    if (item.IsArray()) {
      if (numbers.empty()) return;
      auto cid = static_cast<int64_t>(numbers.back());
      numbers.pop_back();
      for (const TPdfObject& width : item.Items()) {
        if (const auto w = width.AsNumber(); w && extras.Widths.size() < 100000) {
          extras.Widths[static_cast<uint32_t>(cid++)] = *w;
        }
      }
      continue;
    }
    if (const auto n = item.AsNumber()) numbers.push_back(*n);
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

// The decoded data of the stream that key of dict refers to.
std::optional<std::string> StreamOf(TObjectResolver& objects, const TPdfObject& dict,
                                    std::string_view key) {
  const TPdfObject* value = dict.Get(key);
  const std::optional<TPdfRef> ref = value ? value->AsRef() : std::nullopt;
  return ref ? objects.StreamData(*ref) : std::nullopt;
}

std::optional<TToUnicode> ReadToUnicode(TObjectResolver& objects, const TPdfObject& font) {
  std::optional<TToUnicode> map;
  if (const auto data = StreamOf(objects, font, "ToUnicode")) {
    map = TToUnicode::Parse(*data);
    if (map->Empty()) map.reset();
  }
  return map;
}

// The dictionary that key of dict names; null when it names none.
const TPdfObject& DictOf(TObjectResolver& objects, const TPdfObject& dict, std::string_view key) {
  static const TPdfObject kNone;
  const TPdfObject* value = objects.Get(dict, key);
  return value != nullptr && value->IsDict() ? *value : kNone;
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

TBuiltinCodes ReadBuiltinCodes(TObjectResolver& objects, const TFontRec& font,
                               const TPdfObject& dict) {
  TBuiltinCodes codes;
  if (font.HasBaseEncoding) return codes;
  const TPdfObject* subtype = objects.Get(dict, "Subtype");
  const TPdfObject& descriptor = DictOf(objects, dict, "FontDescriptor");
  // The standard symbol fonts have encodings of their own, not the default of their kind.
  const bool symbol_font = StandardSymbolCodes(font.BaseFont) != nullptr;
  if (subtype && (subtype->IsName("Type1") || subtype->IsName("MMType1"))) {
    if (!symbol_font) codes.encoding = StandardEncoding;
    auto program = StreamOf(objects, descriptor, "FontFile");
    if (!program) program = StreamOf(objects, descriptor, "FontFile3");
    if (program) codes.names = ProgramEncodingNames(*program);
  } else if (subtype && subtype->IsName("TrueType")) {
    if (!symbol_font) codes.encoding = WinAnsiEncoding;
    // A symbolic TrueType program explains its codes itself: its map and glyph names.
    const TPdfObject* flags = objects.Get(descriptor, "Flags");
    constexpr int64_t kSymbolic = 4;
    const auto flag_bits = static_cast<int64_t>(flags ? flags->AsNumber().value_or(0) : 0);
    if ((flag_bits & kSymbolic) != 0 && !font.HasEncodingDict) {
      if (const auto program = StreamOf(objects, descriptor, "FontFile2")) {
        codes.names = ProgramEncodingNames(*program);
      }
    }
  }
  return codes;
}

// The characters of the CIDs of a CID-keyed TrueType font (its descendant dictionary) from its
// embedded program, through /CIDToGIDMap.
std::unordered_map<uint32_t, char32_t> ReadCidCharacters(TObjectResolver& objects,
                                                         const TPdfObject& descendant) {
  const TPdfObject& descriptor = DictOf(objects, descendant, "FontDescriptor");
  const std::optional<std::string> program = StreamOf(objects, descriptor, "FontFile2");
  if (!program) return {};
  std::unordered_map<uint32_t, char32_t> glyphs = ProgramGlyphCharacters(*program);
  const TPdfObject* cid_to_gid = descendant.Get("CIDToGIDMap");
  if (cid_to_gid == nullptr || !cid_to_gid->IsRef()) return glyphs;  // /Identity: CID = glyph
  const std::optional<std::string> map = objects.StreamData(*cid_to_gid->AsRef());
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
  if (!name.starts_with("Uni")) return TUnicodeCodes::None;
  if (name.find("-UCS2-") != std::string_view::npos ||
      name.find("-UTF16-") != std::string_view::npos)
    return TUnicodeCodes::Utf16;
  if (name.find("-UTF8-") != std::string_view::npos) return TUnicodeCodes::Utf8;
  if (name.find("-UTF32-") != std::string_view::npos) return TUnicodeCodes::Utf32;
  return TUnicodeCodes::None;
}

// The table of the character collection that a CID font's /CIDSystemInfo names.
std::shared_ptr<const TCollectionCharacters> CollectionCharactersOf(TObjectResolver& objects,
                                                                    const TPdfObject& descendant) {
  const TPdfObject& info = DictOf(objects, descendant, "CIDSystemInfo");
  const TPdfObject* registry = objects.Get(info, "Registry");
  const TPdfObject* ordering = objects.Get(info, "Ordering");
  if (!registry || !ordering || registry->Text().empty() || ordering->Text().empty())
    return nullptr;
  return CollectionCharacters(registry->Text() + "-" + ordering->Text());
}

// The modern reader's view of a font: the characters of each code and, for Type0 fonts, the
// widths of their CIDs.
std::shared_ptr<const TFontExtras> ReadFontExtras(TObjectResolver& objects, const TFontRec& font) {
  auto extras = std::make_shared<TFontExtras>();
  const TPdfObject& dict = objects.ObjectAt(font.FontDictPos);
  const TPdfObject* subtype = objects.Get(dict, "Subtype");
  extras->Type0 = subtype && subtype->IsName("Type0");
  extras->ToUnicode = ReadToUnicode(objects, dict);
  if (extras->Type0) {
    // Identity-H and Identity-V (and CMaps not known here): every code is two bytes and is its
    // own CID; the UCS2 and UTF16 CMaps: two bytes that are the character; an embedded CMap
    // says its code length and CIDs.
    extras->CodeBytes = 2;
    const TPdfObject* encoding = dict.Get("Encoding");
    const std::string encoding_name =
        encoding && encoding->kind() == TPdfObject::Kind::Name ? encoding->Text() : "";
    extras->UnicodeCodes = UnicodeCodesOf(encoding_name);
    if (const auto cmap = StreamOf(objects, dict, "Encoding")) {
      auto cids = std::make_shared<TCodeToCid>(TCodeToCid::Parse(*cmap, PredefinedCMapProgram));
      extras->CodeBytes = cids->CodeBytes();
      extras->Cids = std::move(cids);
    } else if (!encoding_name.empty() && encoding_name != "Identity-H" &&
               encoding_name != "Identity-V") {
      if (auto cids = PredefinedCodeToCid(encoding_name)) {
        extras->CodeBytes = cids->CodeBytes();
        extras->Cids = std::move(cids);
      }
    }
    const TPdfObject* descendants = objects.Get(dict, "DescendantFonts");
    if (descendants && !descendants->Items().empty()) {
      const TPdfObject& descendant = objects.Resolve(descendants->Items().front());
      if (!extras->ToUnicode) extras->CidCharacters = ReadCidCharacters(objects, descendant);
      extras->CollectionCharacters = CollectionCharactersOf(objects, descendant);
      if (const TPdfObject* dw = objects.Get(descendant, "DW")) {
        extras->DefaultWidth = dw->AsNumber().value_or(1000);
      }
      if (const TPdfObject* w = objects.Get(descendant, "W")) ReadCidWidths(w->Items(), *extras);
    }
    return extras;
  }
  const TBuiltinCodes builtin = ReadBuiltinCodes(objects, font, dict);
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

void ReadFontRecord(TDocReader& reader, TObjectResolver& objects, TFontRec& font) {
  ReadFontDictionary(reader, font);
  if (font.HasEncodingDict) ReadDifferences(reader, font);
  if (reader.Rules().FontDetails) font.Extras = ReadFontExtras(objects, font);
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
    TObjectResolver objects(reader);
    for (TFontRec& font : fonts)
      font.Extras = ReadFontExtras(objects, font);
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
