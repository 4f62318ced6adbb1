// Font resources: the few facts of each font dictionary that the interpreter uses, and the
// mapping of shown bytes into output characters.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "pdf/doc_reader.h"
#include "pdf/dyna_array.h"
#include "pdf/object_resolver.h"
#include "pdf/status.h"
#include "text/charsets.h"
#include "text/cmap.h"
#include "text/symbol_fonts_table.h"

namespace paginor {

enum class TUnicodeCodes : uint8_t { None, Utf16, Utf8, Utf32 };

// What the modern reader knows of a font beyond its encoding: the text of each code (from a
// /ToUnicode map, glyph names or the encoding) and, for Type0 fonts, two-byte codes with their
// own widths.
struct TFontExtras {
  bool Type0 = false;
  int CodeBytes = 1;
  // Simple fonts: the characters of each code.
  std::array<std::u32string, 256> Text;
  // The standard fonts Symbol and ZapfDingbats without a named encoding: their own encoding,
  // which also gives the widths a file leaves out.
  const std::array<TSymbolCode, 256>* SymbolCodes = nullptr;
  // Type0 fonts: codes are CIDs (Identity-H and -V); the map gives their characters.
  std::optional<TToUnicode> ToUnicode;
  // Type0 fonts: the code lengths and CIDs of the encoding when it is an embedded CMap or a
  // predefined one that is installed (else each code is two bytes and its own CID), and
  // whether the codes are Unicode themselves (the predefined Uni*-UCS2, -UTF16, -UTF8 and
  // -UTF32 CMaps).
  std::shared_ptr<const TCodeToCid> Cids;
  TUnicodeCodes UnicodeCodes = TUnicodeCodes::None;
  // Type0 fonts without /ToUnicode: the character of each CID from the embedded TrueType
  // program's own map.
  std::unordered_map<uint32_t, char32_t> CidCharacters;
  // Type0 fonts: the characters of the CIDs of the font's public character collection
  // (/CIDSystemInfo), where its table is installed; the last resort.
  std::shared_ptr<const std::vector<char32_t>> CollectionCharacters;
  double DefaultWidth = 1000;                   // /DW, in 1/1000 of the size
  std::unordered_map<uint32_t, double> Widths;  // /W
};

struct TFontRec {
  std::string Name;      // the resource name with its "/", as the first page naming it spells it
  std::string BaseFont;  // /BaseFont without its "/"
  int64_t EncodingDictPos = 0;
  int32_t FirstChar = 0;
  TEncodingId Encoding = PDFDocEncoding;
  int64_t FontDictPos = 0;
  bool IsType3 = false;
  bool HasEncodingDict = false;
  bool HasBaseEncoding = false;  // a named encoding, as /Encoding or its /BaseEncoding
  double BBoxHeight = 1.0;
  // A Type 3 font's /FontMatrix: its glyph space to text space (the modern reader's).
  std::array<double, 6> FontMatrix{0.001, 0, 0, 0.001, 0, 0};
  std::array<uint8_t, 256> DiffCodes{};
  std::array<bool, 256> DiffDefined{};
  std::array<double, 256> Widths{};  // entry i belongs to code FirstChar + i
  std::array<bool, 256> WidthDefined{};
  // The glyph names of /Differences, for the modern reader's mapping.
  std::map<int, std::string> DiffNames;
  // Set by the modern reader.
  std::shared_ptr<const TFontExtras> Extras;
};

// Which font record each page's resource names stand for.
struct TPageFonts {
  std::vector<std::map<std::string, int>> index_by_page;  // page -> name -> index in Fonts
  // The record index the name means on the page (0-based), or -1.
  int Find(int page_index, const std::string& name) const;
};

// Collects one record per distinct font object of all pages (an inline font dictionary per
// page and name), reads their dictionaries and /Differences, and writes the status line.
TPageFonts ReadFonts(TDocReader& reader, TDynaArray<TFontRec>& fonts, const TStatusSink& status);

// Reads one more font record from its dictionary at dict_pos (the modern reader's fonts of form
// XObjects): widths, encoding, /Differences and the modern mapping. The reader's cursor moves.
void ReadFontRecord(TDocReader& reader, TObjectResolver& objects, TFontRec& font);

// One output character per byte: the /Differences code where defined, otherwise the byte
// converted from the encoding.
std::string MapToWinAnsi(std::string_view bytes, TEncodingId encoding,
                         const std::array<uint8_t, 256>& diff_codes,
                         const std::array<bool, 256>& diff_defined);

}  // namespace paginor
