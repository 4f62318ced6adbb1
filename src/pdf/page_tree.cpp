#include "pdf/page_tree.h"

#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "pdf/literals.h"

namespace paginor {

namespace {

// Reads "n g R n g R ... ]" at the cursor, calling emit for each complete group while emit
// returns true. The third token of a group is not compared with "R"; a number that does not
// convert ends the array.
template <typename Emit>
void ReadReferenceArray(TDocReader& reader, Emit emit) {
  while (!reader.PastEnd()) {
    const std::string num_token = reader.ReadToken();
    if (num_token == "]") return;
    const auto num = ParseInt32(num_token);
    if (!num) return;
    const auto gen = ParseInt32(reader.ReadToken());
    if (!gen) return;
    reader.ReadToken();
    if (!emit(*num, *gen)) return;
  }
}

// The position of a dictionary value: inline at the entry's value, or after "obj" of the
// object it references.
std::optional<int64_t> DictionaryPosition(TDocReader& reader, const TDictEntry& entry) {
  if (!IsReference(entry)) return entry.ValuePos;
  return reader.ObjectBodyPos(ParseInt32(entry.Tokens[1]).value_or(0));
}

void ReadMediaBox(const TDictEntry& entry, TPageRec& page) {
  const auto& t = entry.Tokens;
  const auto number = [&t](std::size_t i) -> std::optional<double> {
    return i < t.size() ? ParseNumber(t[i]) : std::nullopt;
  };
  const auto x0 = number(2), x1 = number(4);
  if (!x0 || !x1) return;
  page.Width = *x1 - *x0;
  const auto y0 = number(3), y1 = number(5);
  if (!y0 || !y1) return;
  page.Height = *y1 - *y0;
}

// The content streams of all pages are counted against the page tree cap: a shared array of
// references must not multiply into every page.
bool AppendContent(TDocReader& reader, TPageRec& page, std::optional<int32_t> num,
                   std::optional<int32_t> gen, std::size_t& streams) {
  if (streams >= reader.Caps.Limits.ContentStreams) {
    reader.Caps.Reached(TCap::PageTree);
    return false;
  }
  ++streams;
  TContentRef* ref = page.Contents.Append();
  if (num && gen) {
    ref->ObjNum = *num;
    ref->Gen = *gen;
    ref->Valid = true;
  }
  return true;
}

void ReadContents(TDocReader& reader, const TDictEntry& entry, TPageRec& page,
                  std::size_t& streams) {
  const auto& t = entry.Tokens;
  if (t[1] == "[") {
    for (std::size_t j = 0; j <= (t.size() - 4) / 3; ++j) {
      if (!AppendContent(reader, page, ParseInt32(t[3 * j + 2]), ParseInt32(t[3 * j + 3]),
                         streams)) {
        break;
      }
    }
    return;
  }
  if (t[3] != "R") return;
  TSavedCursor keep(reader);
  if (!reader.GotoObject(ParseInt32(t[1]).value_or(0))) return;
  if (reader.ReadToken() == "[") {
    ReadReferenceArray(reader, [&](int32_t num, int32_t gen) {
      return AppendContent(reader, page, num, gen, streams);
    });
  } else {
    AppendContent(reader, page, ParseInt32(t[1]), ParseInt32(t[2]), streams);
  }
}

}  // namespace

void ReadCatalog(TDocReader& reader) {
  if (!reader.GotoObject(reader.RootNum, reader.RootGen)) {
    reader.Invalid = true;
    return;
  }
  reader.ReadDict();
  for (const TDictEntry& entry : reader.DictEntries) {
    if (entry.Tokens[0] != "/Pages" || !IsReference(entry)) continue;
    reader.PagesNum = ParseInt32(entry.Tokens[1]).value_or(0);
    reader.PagesGen = ParseInt32(entry.Tokens[2]).value_or(0);
    reader.PagesFound = true;
    break;
  }
  reader.FreeDict();
  if (!reader.PagesFound) reader.Invalid = true;
}

bool ReadKids(TDocReader& reader, std::vector<TKidRef>& kids, std::size_t max_kids) {
  bool found = false;
  const auto room = [&] {
    if (kids.size() < max_kids) return true;
    reader.Caps.Reached(TCap::PageTree);
    return false;
  };
  reader.ReadDict();
  for (const TDictEntry& entry : reader.DictEntries) {
    const auto& t = entry.Tokens;
    if (t.size() <= 2 || t[0] != "/Kids") continue;
    if (t[1] == "[") {
      for (std::size_t j = 1; j <= (t.size() - 3) / 3; ++j) {
        if (t[3 * j + 1] != "R") continue;
        if (!room()) break;
        // A reference that does not convert still takes its place in the list, as object 0.
        TKidRef& kid = kids.emplace_back();
        const auto num = ParseInt32(t[3 * j - 1]);
        const auto gen = ParseInt32(t[3 * j]);
        if (num && gen) {
          kid.ObjNum = *num;
          kid.Gen = *gen;
          found = true;
        }
      }
    } else {
      TSavedCursor keep(reader);
      const auto num = ParseInt32(t[1]);
      if (num && reader.GotoObject(*num) && reader.ReadToken() == "[") {
        ReadReferenceArray(reader, [&](int32_t n, int32_t g) {
          if (!room()) return false;
          kids.push_back(TKidRef{n, g, false, false});
          found = true;
          return true;
        });
      }
    }
  }
  reader.FreeDict();
  return found;
}

void WalkPageTree(TDocReader& reader) {
  if (!reader.GotoObject(reader.PagesNum, reader.PagesGen)) {
    reader.Invalid = true;
    return;
  }
  struct Frame {
    std::vector<TKidRef> children;
    std::size_t next = 0;
  };
  // Every /Kids entry read counts against the cap, so that nodes sharing one large array
  // cannot multiply it.
  const std::size_t max_kids = reader.Caps.Limits.KidsEntries;
  std::size_t kids_read = 0;
  std::vector<Frame> stack(1);
  ReadKids(reader, stack.back().children, max_kids);
  kids_read += stack.back().children.size();
  std::unordered_set<int32_t> listed{reader.PagesNum};
  while (!stack.empty()) {
    Frame& frame = stack.back();
    if (frame.next >= frame.children.size()) {
      stack.pop_back();
      continue;
    }
    const TKidRef kid = frame.children[frame.next++];
    if (!listed.insert(kid.ObjNum).second) continue;
    *reader.Kids.Append() = kid;
    const int index = reader.Kids.Count() - 1;
    if (!reader.GotoObject(kid.ObjNum, kid.Gen)) {
      reader.Invalid = true;  // stays unvisited, and counts as a page
      continue;
    }
    reader.Kids[index].Visited = true;
    Frame node;
    const bool has_kids = ReadKids(reader, node.children, max_kids - kids_read);
    kids_read += node.children.size();
    if (has_kids) {
      reader.Kids[index].IsNode = true;
      stack.push_back(std::move(node));  // frame is not used after this
    }
  }
  for (const TKidRef& kid : reader.Kids) {
    if (kid.IsNode) continue;
    TPageRec* page = reader.Pages.Append();
    page->ObjNum = kid.ObjNum;
    page->Gen = kid.Gen;
    page->Contents.Bind(&reader.ContentRef);
  }
}

void ReadPageDictionaries(TDocReader& reader) {
  std::size_t streams = 0;
  for (TPageRec& page : reader.Pages) {
    if (!reader.GotoObject(page.ObjNum, page.Gen)) {
      reader.Invalid = true;
      continue;
    }
    reader.ReadDict();
    for (const TDictEntry& entry : reader.DictEntries) {
      const auto& t = entry.Tokens;
      const std::string& key = t[0];
      if (key == "/MediaBox" && t.size() >= 2 && t[1] == "[") {
        ReadMediaBox(entry, page);
      } else if (key == "/Resources") {
        if (const auto pos = DictionaryPosition(reader, entry)) {
          page.ResourcesPos = *pos;
          page.HasResources = true;
        }
      } else if (key == "/Contents" && t.size() >= 4) {
        ReadContents(reader, entry, page, streams);
      }
    }
    reader.FreeDict();
  }
}

void ReadPageResources(TDocReader& reader) {
  // Pages that share a resource dictionary share what it says, so it is read once: many pages
  // naming one large dictionary must not multiply the reading.
  struct Found {
    int64_t font_pos = 0;
    int64_t xobject_pos = 0;
    bool has_fonts = false;
    bool has_xobjects = false;
  };
  std::unordered_map<int64_t, Found> known;
  for (TPageRec& page : reader.Pages) {
    if (!page.HasResources) continue;
    auto it = known.find(page.ResourcesPos);
    if (it == known.end()) {
      Found found;
      reader.SetPos(page.ResourcesPos);
      reader.ReadDict();
      for (const TDictEntry& entry : reader.DictEntries) {
        const std::string& key = entry.Tokens[0];
        if (key == "/Font") {
          if (const auto pos = DictionaryPosition(reader, entry)) {
            found.font_pos = *pos;
            found.has_fonts = true;
          }
        } else if (key == "/XObject") {
          if (const auto pos = DictionaryPosition(reader, entry)) {
            found.xobject_pos = *pos;
            found.has_xobjects = true;
          }
        }
      }
      reader.FreeDict();
      it = known.emplace(page.ResourcesPos, found).first;
    }
    const Found& found = it->second;
    if (found.has_fonts) {
      page.FontPos = found.font_pos;
      page.HasFonts = true;
    }
    if (found.has_xobjects) {
      page.XObjectPos = found.xobject_pos;
      page.HasXObjects = true;
    }
  }
}

}  // namespace paginor
