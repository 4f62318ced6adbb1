// The records of the document reader's lists.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pdf/dyna_array.h"
#include "pdf/literals.h"

namespace paginor {

// One dictionary entry: the key token, then every token of its value, nested brackets
// included, and the position of the value's first byte.
struct TDictEntry {
  std::vector<std::string> Tokens;
  int64_t ValuePos = 0;
};

// Whether the entry's value is a reference: its tokens after the key are "n g R".
inline bool IsReference(const TDictEntry& entry) {
  return entry.Tokens.size() >= 4 && entry.Tokens[3] == "R";
}

// Whether t[i], t[i + 1] and t[i + 2] are a reference: two numbers and "R".
inline bool IsReferenceAt(const std::vector<std::string>& t, std::size_t i) {
  return i + 2 < t.size() && ParseInt32(t[i]) && ParseInt32(t[i + 1]) && t[i + 2] == "R";
}

// Object number to file offset. A free entry keeps the value of its first field.
struct TXrefEntry {
  int64_t Offset = 0;
  int32_t Gen = 0;
  bool Loaded = false;  // a newer section has already set this entry
};

// One entry of the flat list that the page tree walk builds.
struct TKidRef {
  int32_t ObjNum = 0;
  int32_t Gen = 0;
  bool Visited = false;
  bool IsNode = false;  // the object has a /Kids array with at least one reference
};

// One content stream of a page.
struct TContentRef {
  int32_t Length = 0;
  int32_t ObjNum = 0;
  int32_t Gen = 0;
  bool HasLength = false;
  bool Valid = false;  // the reference was read completely
};

struct TPageRec {
  int32_t ObjNum = 0;
  int32_t Gen = 0;
  // Cursor positions at which ReadDict finds the page's dictionaries.
  int64_t XObjectPos = 0;
  int64_t FontPos = 0;
  int64_t ResourcesPos = 0;
  bool HasXObjects = false;
  bool HasFonts = false;
  bool HasResources = false;
  double Width = 595.0;  // PDF points, A4 until a /MediaBox is read
  double Height = 842.0;
  // The modern reader: the visible box's lower left corner and the page's /Rotate (0, 90, 180
  // or 270, clockwise as the page is shown).
  double Left = 0;
  double Bottom = 0;
  int32_t Rotate = 0;
  TDynaArray<TContentRef> Contents;
};

}  // namespace paginor
