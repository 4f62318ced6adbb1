// The Adobe Glyph List as data: every glyph name it defines with its characters, sorted by
// name (byte order).
#pragma once

#include <array>
#include <string_view>

namespace paginor {

struct TGlyphListEntry {
  std::string_view name;
  std::u32string_view characters;
};

extern const std::array<TGlyphListEntry, 4281> kGlyphList;

}  // namespace paginor
