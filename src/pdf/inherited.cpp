#include "pdf/inherited.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <set>
#include <unordered_map>
#include <vector>

#include "pdf/object_resolver.h"

namespace paginor {

namespace {

constexpr int kMaxAncestors = 256;

struct Box {
  double left = 0;
  double bottom = 0;
  double width = 0;
  double height = 0;
};

// [llx lly urx ury]; boxes may name any two opposite corners.
std::optional<Box> BoxOf(const TPdfObject* box) {
  if (box == nullptr || box->Items().size() < 4) return std::nullopt;
  std::array<double, 4> v{};
  for (std::size_t i = 0; i < v.size(); ++i) {
    const auto n = box->Items()[i].AsNumber();
    if (!n) return std::nullopt;
    v[i] = *n;
  }
  return Box{std::min(v[0], v[2]), std::min(v[1], v[3]), std::fabs(v[2] - v[0]),
             std::fabs(v[3] - v[1])};
}

struct Found {
  std::optional<int64_t> resources;
  std::optional<Box> media;
  std::optional<Box> crop;
  std::optional<int32_t> parent;
  std::optional<int32_t> rotate;
};

// What the dictionary of object num says of the attributes.
Found ReadAttributes(TDocReader& reader, TObjectResolver& objects, int32_t num) {
  Found found;
  const TPdfObject& node = objects.Object({num, TDocReader::kAnyGeneration});
  if (const TPdfObject* resources = node.Get("Resources")) {
    if (const auto ref = resources->AsRef()) {
      found.resources = reader.ObjectBodyPos(ref->Num, ref->Gen);
    } else if (resources->IsDict()) {
      found.resources = resources->Pos();
    }
  }
  found.media = BoxOf(objects.Get(node, "MediaBox"));
  found.crop = BoxOf(objects.Get(node, "CropBox"));
  if (const TPdfObject* rotate = objects.Get(node, "Rotate")) found.rotate = rotate->AsInt32();
  if (const TPdfObject* parent = node.Get("Parent"); parent && parent->IsRef()) {
    found.parent = parent->AsRef()->Num;
  }
  return found;
}

}  // namespace

void ApplyInheritedAttributes(TDocReader& reader) {
  TObjectResolver objects(reader);
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
      Found own = ReadAttributes(reader, objects, *node);
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
    Found own = ReadAttributes(reader, objects, page.ObjNum);
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
