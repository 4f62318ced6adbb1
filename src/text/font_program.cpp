#include "text/font_program.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <memory>

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

// The charmap of the program's own encoding, if it has one other than the standard one.
FT_CharMap CustomCharmap(FT_Face face) {
  for (FT_Int i = 0; i < face->num_charmaps; ++i) {
    FT_CharMap map = face->charmaps[i];
    if (map->encoding == FT_ENCODING_ADOBE_CUSTOM) return map;
  }
  return nullptr;
}

}  // namespace

std::map<int, std::string> ProgramEncodingNames(std::string_view program) {
  std::map<int, std::string> names;
  if (program.empty() || program.size() > static_cast<std::size_t>(1) << 30) return names;
  FT_Library raw_library = nullptr;
  if (FT_Init_FreeType(&raw_library) != 0) return names;
  const TLibrary library(raw_library);
  FT_Face raw_face = nullptr;
  // FreeType reads the bytes in place; they outlive the face.
  if (FT_New_Memory_Face(library.get(), reinterpret_cast<const FT_Byte*>(program.data()),
                         static_cast<FT_Long>(program.size()), 0, &raw_face) != 0) {
    return names;
  }
  const TFace face(raw_face);
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
