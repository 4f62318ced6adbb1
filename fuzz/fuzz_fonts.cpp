// The glyph and font mapping: font resources read from any bytes (classic and modern reader),
// the mapping of shown bytes through each font, /ToUnicode maps, glyph names and the
// conversion of Unicode text into the document's characters.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "pdf/repair.h"
#include "text/charsets.h"
#include "text/cmap.h"
#include "text/fonts.h"
#include "text/unicode_text.h"

namespace {

// Two pages whose /Font dictionaries are the data's first dictionary and its second; objects
// the data define ("N G obj") are found by the repairing scan.
void ReadFontResources(const std::string& bytes, bool modern) {
  paginor::TDocReader reader(bytes);
  reader.SetRules(modern ? paginor::TReadingRules::Modern() : paginor::TReadingRules::Classic());
  reader.Caps.Limits.ResourceNames = 64;
  paginor::RepairXref(reader);
  const std::size_t second = bytes.find("<<", 2);
  for (const std::size_t pos : {std::size_t{0}, second}) {
    if (pos == std::string::npos) continue;
    paginor::TPageRec* page = reader.Pages.Append();
    page->HasFonts = true;
    page->FontPos = static_cast<int32_t>(pos);
  }
  paginor::TFontRec* current = nullptr;
  paginor::TDynaArray<paginor::TFontRec> fonts(&current);
  int lines = 0;
  const paginor::TPageFonts pages =
      paginor::ReadFonts(reader, fonts, [&lines](const std::string&) { ++lines; });
  FUZZ_CHECK(lines >= 1);
  FUZZ_CHECK(fonts.Count() <= 64);
  for (const auto& names : pages.index_by_page) {
    for (const auto& [name, index] : names)
      FUZZ_CHECK(index >= 0 && index < fonts.Count());
  }
  const std::string_view shown = std::string_view(bytes).substr(0, 64);
  for (const paginor::TFontRec& font : fonts) {
    const std::string mapped =
        paginor::MapToWinAnsi(shown, font.Encoding, font.DiffCodes, font.DiffDefined);
    FUZZ_CHECK(mapped.size() == shown.size());
    if (font.Extras == nullptr) continue;
    FUZZ_CHECK(font.Extras->CodeBytes == 1 || font.Extras->CodeBytes == 2);
    if (font.Extras->ToUnicode) {
      for (const char c : shown)
        font.Extras->ToUnicode->Lookup(static_cast<unsigned char>(c));
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  ReadFontResources(bytes, false);
  ReadFontResources(bytes, true);

  // The data as a CMap program, looked up with its own bytes as codes.
  const paginor::TToUnicode map = paginor::TToUnicode::Parse(bytes);
  FUZZ_CHECK(map.CodeBytes() == 1 || map.CodeBytes() == 2);
  for (std::size_t i = 0; i + 1 < size && i < 256; i += 2) {
    const uint32_t code = static_cast<uint32_t>(data[i]) << 8 | data[i + 1];
    if (const auto text = map.Lookup(code)) {
      int unmapped = 0;
      paginor::UnicodeToWinAnsi(*text, unmapped);
      FUZZ_CHECK(unmapped >= 0 && static_cast<std::size_t>(unmapped) <= text->size());
    }
  }
  // The data as UTF-16 text and as glyph names.
  const std::u32string text = paginor::Utf16BeToUnicode(bytes);
  FUZZ_CHECK(text.size() <= size / 2);
  int unmapped = 0;
  paginor::UnicodeToWinAnsi(text, unmapped);
  FUZZ_CHECK(unmapped >= 0 && static_cast<std::size_t>(unmapped) <= text.size());
  const std::string_view name = std::string_view(bytes).substr(0, 64);
  paginor::GlyphNameToWinAnsi(name);
  paginor::GlyphNameToUnicode(name);
  for (int from = 0; from < 4 && size > 0; ++from) {
    for (int to = 0; to < 4; ++to) {
      paginor::ConvertCode(data[0], static_cast<paginor::TEncodingId>(from),
                           static_cast<paginor::TEncodingId>(to));
    }
  }
  return 0;
}
