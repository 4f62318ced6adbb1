// The readers of what fonts embed, over any bytes: CMap programs (ToUnicode and encoding
// CMaps), and, through FreeType, the character maps of TrueType programs and the encodings of
// CFF and Type 1 programs end within the data and keep their answers bounded.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "text/cmap.h"
#include "text/font_program.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const paginor::TToUnicode to_unicode = paginor::TToUnicode::Parse(bytes);
  FUZZ_CHECK(to_unicode.CodeBytes() == 1 || to_unicode.CodeBytes() == 2);
  for (uint32_t code : {0u, 0x41u, 0xFFu, 0xFFFFu}) {
    if (const auto text = to_unicode.Lookup(code)) FUZZ_CHECK(text->size() <= 64);
  }
  const paginor::TCodeToCid cids = paginor::TCodeToCid::Parse(bytes);
  FUZZ_CHECK(cids.CodeBytes() == 1 || cids.CodeBytes() == 2);
  for (uint32_t code : {0u, 0x20u, 0x8140u, 0xFFFFu})
    (void)cids.Cid(code);
  for (std::size_t i = 0; i < bytes.size(); i += cids.CodeLength(bytes, i)) {
    const std::size_t length = cids.CodeLength(bytes, i);
    FUZZ_CHECK(length >= 1 && length <= 4);
  }
  const auto glyphs = paginor::ProgramGlyphCharacters(bytes);
  FUZZ_CHECK(glyphs.size() <= 65536);
  for (const auto& [glyph, c] : glyphs)
    FUZZ_CHECK(c > 0 && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF) && glyph > 0);
  const auto names = paginor::ProgramEncodingNames(bytes);
  for (const auto& [code, name] : names)
    FUZZ_CHECK(code >= 0 && code < 256 && !name.empty() && name.size() < 64);
  return 0;
}
