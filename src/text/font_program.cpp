#include "text/font_program.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <memory>
#include <optional>

namespace paginor {

namespace {

struct LibraryDeleter {
  void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FaceDeleter {
  void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using TLibrary = std::unique_ptr<std::remove_pointer_t<FT_Library>, LibraryDeleter>;
using TFace = std::unique_ptr<std::remove_pointer_t<FT_Face>, FaceDeleter>;

FT_CharMap Charmap(FT_Face face, FT_UShort platform, FT_UShort encoding) {
  for (FT_Int i = 0; i < face->num_charmaps; ++i) {
    FT_CharMap map = face->charmaps[i];
    if (map->platform_id == platform && map->encoding_id == encoding) return map;
  }
  return nullptr;
}

// The charmap of the program's own encoding, if it has one other than the standard one.
FT_CharMap CustomCharmap(FT_Face face) {
  for (FT_Int i = 0; i < face->num_charmaps; ++i) {
    FT_CharMap map = face->charmaps[i];
    if (map->encoding == FT_ENCODING_ADOBE_CUSTOM) return map;
  }
  return nullptr;
}

std::string GlyphName(FT_Face face, FT_UInt glyph) {
  if (!FT_HAS_GLYPH_NAMES(face)) return {};
  char name[64] = {};
  if (FT_Get_Glyph_Name(face, glyph, name, sizeof name) != 0) return {};
  const std::string_view n(name);
  return n == ".notdef" ? std::string() : std::string(n);
}

// A symbolic TrueType program: its codes through the (3,0) map (at F0xx, or as they are) or
// the (1,0) map, named by the 'post' table or, failing that, by the (3,1) map's character.
std::map<int, std::string> TrueTypeNames(FT_Face face) {
  std::map<int, std::string> names;
  FT_CharMap symbol = Charmap(face, 3, 0);
  FT_CharMap mac = Charmap(face, 1, 0);
  FT_CharMap map = symbol != nullptr ? symbol : mac;
  if (map == nullptr || FT_Set_Charmap(face, map) != 0) return names;
  std::map<int, FT_UInt> glyphs;
  for (FT_ULong code = 0; code < 256; ++code) {
    FT_UInt glyph = symbol != nullptr ? FT_Get_Char_Index(face, 0xF000 + code) : 0;
    if (glyph == 0) glyph = FT_Get_Char_Index(face, code);
    if (glyph != 0) glyphs[static_cast<int>(code)] = glyph;
  }
  std::map<FT_UInt, FT_ULong> characters;  // from the (3,1) map, where names are missing
  if (FT_CharMap unicode = Charmap(face, 3, 1); unicode && FT_Set_Charmap(face, unicode) == 0) {
    FT_UInt glyph = 0;
    std::size_t steps = 0;
    for (FT_ULong c = FT_Get_First_Char(face, &glyph); glyph != 0 && steps < 65536;
         c = FT_Get_Next_Char(face, c, &glyph), ++steps) {
      characters.emplace(glyph, c);
    }
  }
  for (const auto& [code, glyph] : glyphs) {
    std::string name = GlyphName(face, glyph);
    if (name.empty()) {
      const auto c = characters.find(glyph);
      if (c == characters.end() || (c->second >= 0xF000 && c->second <= 0xF0FF)) continue;
      char uni[32];
      std::snprintf(uni, sizeof uni, "uni%04lX", static_cast<unsigned long>(c->second));
      if (c->second > 0xFFFF) std::snprintf(uni, sizeof uni, "u%lX", c->second);
      name = uni;
    }
    names[code] = std::move(name);
  }
  return names;
}

// A face over the program's bytes, which must outlive it; null when FreeType cannot read them.
struct TProgramFace {
  TLibrary library;
  TFace face;
};

std::optional<TProgramFace> OpenFace(std::string_view program) {
  if (program.empty() || program.size() > static_cast<std::size_t>(1) << 30) return std::nullopt;
  FT_Library raw_library = nullptr;
  if (FT_Init_FreeType(&raw_library) != 0) return std::nullopt;
  TLibrary library(raw_library);
  FT_Face raw_face = nullptr;
  if (FT_New_Memory_Face(library.get(), reinterpret_cast<const FT_Byte*>(program.data()),
                         static_cast<FT_Long>(program.size()), 0, &raw_face) != 0) {
    return std::nullopt;
  }
  TFace face(raw_face);
  return TProgramFace{std::move(library), std::move(face)};
}

}  // namespace

std::unordered_map<uint32_t, char32_t> ProgramGlyphCharacters(std::string_view program) {
  std::unordered_map<uint32_t, char32_t> glyphs;
  const std::optional<TProgramFace> opened = OpenFace(program);
  if (!opened) return glyphs;
  FT_Face face = opened->face.get();
  FT_CharMap map = Charmap(face, 3, 10);
  if (map == nullptr) map = Charmap(face, 3, 1);
  for (FT_Int i = 0; map == nullptr && i < face->num_charmaps; ++i) {
    if (face->charmaps[i]->platform_id == 0) map = face->charmaps[i];
  }
  if (map == nullptr || FT_Set_Charmap(face, map) != 0) return glyphs;
  FT_UInt glyph = 0;
  std::size_t steps = 0;
  for (FT_ULong c = FT_Get_First_Char(face, &glyph); glyph != 0 && steps < (1u << 20);
       c = FT_Get_Next_Char(face, c, &glyph), ++steps) {
    if (c == 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) continue;
    auto [it, added] = glyphs.emplace(glyph, static_cast<char32_t>(c));
    if (!added && c < it->second) it->second = static_cast<char32_t>(c);
  }
  return glyphs;
}

std::map<int, std::string> ProgramEncodingNames(std::string_view program) {
  std::map<int, std::string> names;
  const std::optional<TProgramFace> opened = OpenFace(program);
  if (!opened) return names;
  const TFace& face = opened->face;
  if (FT_IS_SFNT(face.get()) && !FT_IS_CID_KEYED(face.get()) &&
      CustomCharmap(face.get()) == nullptr) {
    return TrueTypeNames(face.get());
  }
  if (!FT_HAS_GLYPH_NAMES(face.get())) return names;
  FT_CharMap map = CustomCharmap(face.get());
  if (map == nullptr || FT_Set_Charmap(face.get(), map) != 0) return names;
  FT_UInt glyph = 0;
  for (FT_ULong code = FT_Get_First_Char(face.get(), &glyph); glyph != 0 && code < 256;
       code = FT_Get_Next_Char(face.get(), code, &glyph)) {
    char name[64] = {};
    if (FT_Get_Glyph_Name(face.get(), glyph, name, sizeof name) != 0 || name[0] == 0) continue;
    if (std::string_view(name) != ".notdef") names[static_cast<int>(code)] = name;
  }
  return names;
}

}  // namespace paginor
