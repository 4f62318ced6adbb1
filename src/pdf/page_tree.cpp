#include "pdf/page_tree.h"

#include <optional>
#include <unordered_set>

#include "pdf/literals.h"

namespace paginor {

namespace {

bool IsReference(const TDictEntry& entry) {
  return entry.Tokens.size() >= 4 && entry.Tokens[3] == "R";
}

// Reads "n g R n g R ... ]" at the cursor, calling emit for each complete group. The third
// token of a group is not compared with "R"; a number that does not convert ends the array.
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
    emit(*num, *gen);
  }
}

// Positions the cursor must be saved around: a lookup in the middle of a dictionary.
class CursorKeeper {
 public:
  explicit CursorKeeper(TDocReader& reader) : reader_(reader), saved_(reader.GetPos()) {}
  ~CursorKeeper() { reader_.SetPos(saved_); }
  CursorKeeper(const CursorKeeper&) = delete;
  CursorKeeper& operator=(const CursorKeeper&) = delete;

 private:
  TDocReader& reader_;
  int64_t saved_;
};

// The position of a dictionary value: inline at the entry's value, or after "obj" of the
// object it references.
std::optional<int32_t> DictionaryPosition(TDocReader& reader, const TDictEntry& entry) {
  if (!IsReference(entry)) return entry.ValuePos;
  const auto num = ParseInt32(entry.Tokens[1]);
  CursorKeeper keep(reader);
  if (!reader.GotoObject(num.value_or(0))) return std::nullopt;
  return static_cast<int32_t>(reader.GetPos());
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

void AppendContent(TPageRec& page, std::optional<int32_t> num, std::optional<int32_t> gen) {
  TContentRef* ref = page.Contents.Append();
  if (num && gen) {
    ref->ObjNum = *num;
    ref->Gen = *gen;
    ref->Valid = true;
  }
}

void ReadContents(TDocReader& reader, const TDictEntry& entry, TPageRec& page) {
  const auto& t = entry.Tokens;
  if (t[1] == "[") {
    for (std::size_t j = 0; j <= (t.size() - 4) / 3; ++j) {
      AppendContent(page, ParseInt32(t[3 * j + 2]), ParseInt32(t[3 * j + 3]));
    }
    return;
  }
  if (t[3] != "R") return;
  CursorKeeper keep(reader);
  if (!reader.GotoObject(ParseInt32(t[1]).value_or(0))) return;
  if (reader.ReadToken() == "[") {
    ReadReferenceArray(reader,
                       [&page](int32_t num, int32_t gen) { AppendContent(page, num, gen); });
  } else {
    AppendContent(page, ParseInt32(t[1]), ParseInt32(t[2]));
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

bool ReadKids(TDocReader& reader, std::vector<TKidRef>& kids) {
  bool found = false;
  reader.ReadDict();
  for (const TDictEntry& entry : reader.DictEntries) {
    const auto& t = entry.Tokens;
    if (t.size() <= 2 || t[0] != "/Kids") continue;
    if (t[1] == "[") {
      for (std::size_t j = 1; j <= (t.size() - 3) / 3; ++j) {
        if (t[3 * j + 1] != "R") continue;
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
      CursorKeeper keep(reader);
      const auto num = ParseInt32(t[1]);
      if (num && reader.GotoObject(*num) && reader.ReadToken() == "[") {
        ReadReferenceArray(reader, [&kids, &found](int32_t n, int32_t g) {
          kids.push_back(TKidRef{n, g, false, false});
          found = true;
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
  std::vector<Frame> stack(1);
  ReadKids(reader, stack.back().children);
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
    if (ReadKids(reader, node.children)) {
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
        ReadContents(reader, entry, page);
      }
    }
    reader.FreeDict();
  }
}

void ReadPageResources(TDocReader& reader) {
  for (TPageRec& page : reader.Pages) {
    if (!page.HasResources) continue;
    reader.SetPos(page.ResourcesPos);
    reader.ReadDict();
    for (const TDictEntry& entry : reader.DictEntries) {
      const std::string& key = entry.Tokens[0];
      if (key == "/Font") {
        if (const auto pos = DictionaryPosition(reader, entry)) {
          page.FontPos = *pos;
          page.HasFonts = true;
        }
      } else if (key == "/XObject") {
        if (const auto pos = DictionaryPosition(reader, entry)) {
          page.XObjectPos = *pos;
          page.HasXObjects = true;
        }
      }
    }
    reader.FreeDict();
  }
}

}  // namespace paginor
