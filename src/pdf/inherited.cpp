#include "pdf/inherited.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <set>
#include <unordered_map>
#include <vector>

#include "pdf/literals.h"

namespace paginor {

namespace {

constexpr int kMaxAncestors = 256;

struct Box {
  double left = 0;
  double bottom = 0;
  double width = 0;
  double height = 0;
};

// [llx lly urx ury] from tokens starting at "[".
std::optional<Box> BoxOf(const std::vector<std::string>& t, std::size_t at) {
  if (at + 4 >= t.size() || t[at] != "[") return std::nullopt;
  const auto x0 = ParseNumber(t[at + 1]);
  const auto y0 = ParseNumber(t[at + 2]);
  const auto x1 = ParseNumber(t[at + 3]);
  const auto y1 = ParseNumber(t[at + 4]);
  if (!x0 || !y0 || !x1 || !y1) return std::nullopt;
  // Boxes may name any two opposite corners.
  return Box{std::min(*x0, *x1), std::min(*y0, *y1), std::fabs(*x1 - *x0), std::fabs(*y1 - *y0)};
}

std::optional<Box> ReadBox(TDocReader& reader, const TDictEntry& e) {
  const auto& t = e.Tokens;
  if (IsReference(e)) {
    TSavedCursor saved(reader);
    std::vector<std::string> tokens{t[0]};
    if (reader.GotoObject(ParseInt32(t[1]).value_or(-1))) {
      for (int i = 0; i < 6 && !reader.PastEnd(); ++i)
        tokens.push_back(reader.ReadToken());
    }
    return BoxOf(tokens, 1);
  }
  return BoxOf(t, 1);
}

struct Found {
  std::optional<int64_t> resources;
  std::optional<Box> media;
  std::optional<Box> crop;
  std::optional<int32_t> parent;
  std::optional<int32_t> rotate;
};

// What the dictionary of object num says of the attributes.
Found ReadAttributes(TDocReader& reader, int32_t num) {
  Found found;
  if (!reader.GotoObject(num)) return found;
  reader.ReadDict();
  const std::vector<TDictEntry> entries(reader.DictEntries.begin(), reader.DictEntries.end());
  reader.FreeDict();
  for (const TDictEntry& e : entries) {
    const auto& t = e.Tokens;
    if (t[0] == "/Resources" && t.size() >= 2) {
      if (IsReference(e)) {
        TSavedCursor saved(reader);
        if (reader.GotoObject(ParseInt32(t[1]).value_or(-1))) {
          found.resources = reader.GetPos();
        }
      } else {
        found.resources = e.ValuePos;
      }
    } else if (t[0] == "/MediaBox") {
      found.media = ReadBox(reader, e);
    } else if (t[0] == "/CropBox") {
      found.crop = ReadBox(reader, e);
    } else if (t[0] == "/Rotate" && t.size() >= 2) {
      found.rotate = ParseInt32(t[1]);
    } else if (t[0] == "/Parent" && IsReference(e)) {
      found.parent = ParseInt32(t[1]);
    }
  }
  return found;
}

}  // namespace

void ApplyInheritedAttributes(TDocReader& reader) {
  // What each node passes down, its own ancestors' included: nodes are shared by many pages
  // and hold long /Kids arrays, so each is read once.
  std::unordered_map<int32_t, Found> passed_down;
  const auto inherited = [&](std::optional<int32_t> node) {
    // The chain up to the first node already known (or the root), then back down.
    std::vector<std::pair<int32_t, Found>> chain;
    std::set<int32_t> seen;
    Found known;
    while (node && chain.size() < kMaxAncestors && seen.insert(*node).second) {
      const auto it = passed_down.find(*node);
      if (it != passed_down.end()) {
        known = it->second;
        break;
      }
      Found own = ReadAttributes(reader, *node);
      const std::optional<int32_t> parent = own.parent;
      chain.emplace_back(*node, std::move(own));
      node = parent;
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      Found& f = it->second;
      if (!f.resources) f.resources = known.resources;
      if (!f.media) f.media = known.media;
      if (!f.crop) f.crop = known.crop;
      if (!f.rotate) f.rotate = known.rotate;
      known = f;
      passed_down[it->first] = f;
    }
    return known;
  };
  for (TPageRec& page : reader.Pages) {
    Found own = ReadAttributes(reader, page.ObjNum);
    if (!own.resources || !own.media || !own.crop || !own.rotate) {
      const Found above = inherited(own.parent);
      if (!own.resources) own.resources = above.resources;
      if (!own.media) own.media = above.media;
      if (!own.crop) own.crop = above.crop;
      if (!own.rotate) own.rotate = above.rotate;
    }
    if (own.resources && !page.HasResources) {
      page.ResourcesPos = *own.resources;
      page.HasResources = true;
    }
    if (const std::optional<Box> box = own.crop ? own.crop : own.media) {
      page.Left = box->left;
      page.Bottom = box->bottom;
      page.Width = box->width;
      page.Height = box->height;
    }
    // Only quarter turns exist; other values are ignored as viewers do.
    const int32_t rotate = own.rotate.value_or(0) % 360;
    page.Rotate = rotate % 90 != 0 ? 0 : (rotate + 360) % 360;
  }
}

}  // namespace paginor
