#include "convert/document_resources.h"

#include <algorithm>
#include <cmath>

namespace paginor {

namespace {

const TPdfObject kNoObject;

// Decoded form content kept for forms named again (logos, page furniture on every page).
constexpr int64_t kContentCacheBytes = int64_t{64} << 20;

using TMatrix = std::array<double, 6>;

TMatrix Multiply(const TMatrix& m, const TMatrix& n) {
  return {m[0] * n[0] + m[1] * n[2],        m[0] * n[1] + m[1] * n[3],
          m[2] * n[0] + m[3] * n[2],        m[2] * n[1] + m[3] * n[3],
          m[4] * n[0] + m[5] * n[2] + n[4], m[4] * n[1] + m[5] * n[3] + n[5]};
}

bool Finite(const std::vector<double>& numbers) {
  return std::all_of(numbers.begin(), numbers.end(), [](double v) { return std::isfinite(v); });
}

// The name without its "/".
std::string_view Bare(const std::string& name) {
  return name.starts_with('/') ? std::string_view(name).substr(1) : std::string_view(name);
}

}  // namespace

const TPdfObject& TDocumentResources::PageResources(int page_index) {
  if (page_index < 0 || page_index >= reader_.Pages.Count()) return kNoObject;
  const TPageRec& page = reader_.Pages[page_index];
  if (!page.HasResources) return kNoObject;
  return objects_.ObjectAt(page.ResourcesPos);
}

int32_t TDocumentResources::ResourcesId(const TPdfObject* resources) {
  if (resources == nullptr || !resources->IsDict()) return -1;
  resources_.push_back(*resources);
  return static_cast<int32_t>(resources_.size()) - 1;
}

std::optional<TFormXObject> TDocumentResources::ReadForm(TPdfRef ref, const TMatrix* placement) {
  const TPdfObject& dict = objects_.Object(ref);
  if (!dict.IsDict()) return std::nullopt;
  const TPdfObject* subtype = objects_.Get(dict, "Subtype");
  if (subtype != nullptr && !subtype->IsName("Form")) return std::nullopt;
  if (subtype == nullptr && objects_.Get(dict, "BBox") == nullptr) return std::nullopt;
  TFormXObject form;
  form.Id = ref.Num;
  if (const TPdfObject* bbox = objects_.Get(dict, "BBox")) {
    if (auto box = bbox->Numbers(4); box && Finite(*box)) {
      form.BBox = std::array<double, 4>{(*box)[0], (*box)[1], (*box)[2], (*box)[3]};
    }
  }
  if (const TPdfObject* matrix = objects_.Get(dict, "Matrix")) {
    if (auto m = matrix->Numbers(6); m && Finite(*m)) {
      std::copy(m->begin(), m->end(), form.Matrix.begin());
    }
  }
  if (placement != nullptr) form.Matrix = Multiply(form.Matrix, *placement);
  const auto known = resources_of_form_.find({ref.Num, ref.Gen});
  if (known != resources_of_form_.end()) {
    form.Resources = known->second;
  } else {
    form.Resources = ResourcesId(objects_.Get(dict, "Resources"));
    resources_of_form_[{ref.Num, ref.Gen}] = form.Resources;
  }
  auto cached = content_.find(ref.Num);
  if (cached == content_.end()) {
    std::optional<std::string> data = objects_.StreamData(ref);
    const int64_t size = data ? static_cast<int64_t>(data->size()) : 0;
    if (content_bytes_ + size > kContentCacheBytes) {
      if (!data) return std::nullopt;
      form.Content = std::move(*data);  // too much to keep: read again when named again
      return form;
    }
    content_bytes_ += size;
    cached = content_.emplace(ref.Num, std::move(data)).first;
  }
  if (!cached->second) return std::nullopt;
  form.Content = *cached->second;
  return form;
}

std::optional<TFormXObject> TDocumentResources::Form(int page_index, int32_t resources,
                                                     const std::string& name) {
  const TPdfObject& dict = resources >= 0 && resources < static_cast<int32_t>(resources_.size())
                               ? resources_[static_cast<std::size_t>(resources)]
                               : PageResources(page_index);
  const TPdfObject* xobjects = objects_.Get(dict, "XObject");
  if (xobjects == nullptr) return std::nullopt;
  const TPdfObject* entry = xobjects->Get(Bare(name));
  if (entry == nullptr || !entry->IsRef()) return std::nullopt;
  return ReadForm(*entry->AsRef(), nullptr);
}

std::optional<int32_t> TDocumentResources::Picture(int32_t resources, const std::string& name) {
  if (resources < 0 || resources >= static_cast<int32_t>(resources_.size())) return std::nullopt;
  const TPdfObject* xobjects =
      objects_.Get(resources_[static_cast<std::size_t>(resources)], "XObject");
  const TPdfObject* entry = xobjects != nullptr ? xobjects->Get(Bare(name)) : nullptr;
  const std::optional<TPdfRef> ref = entry != nullptr ? entry->AsRef() : std::nullopt;
  if (!ref) return std::nullopt;
  const TPdfObject* subtype = objects_.Get(objects_.Object(*ref), "Subtype");
  if (subtype == nullptr || !subtype->IsName("Image")) return std::nullopt;
  return ref->Num;
}

int TDocumentResources::Font(int32_t resources, const std::string& name) {
  if (resources < 0 || resources >= static_cast<int32_t>(resources_.size())) return -1;
  const auto key = std::make_pair(resources, name);
  if (const auto known = font_index_.find(key); known != font_index_.end()) return known->second;
  int index = -1;
  const TPdfObject* fonts = objects_.Get(resources_[static_cast<std::size_t>(resources)], "Font");
  const TPdfObject* entry = fonts != nullptr ? fonts->Get(Bare(name)) : nullptr;
  if (entry != nullptr && entry->IsRef()) {
    const TPdfRef ref = *entry->AsRef();
    if (const auto same = font_of_object_.find(ref.Num); same != font_of_object_.end()) {
      index = same->second;
    } else if (fonts_.Count() >= reader_.Caps.Limits.FontRecords) {
      reader_.Caps.Reached(TCap::Resources);
    } else if (const std::optional<int64_t> pos = reader_.ObjectBodyPos(ref.Num, ref.Gen)) {
      TSavedCursor cursor(reader_);
      const int selected = fonts_.Index();
      TFontRec* font = fonts_.Append();
      font->Name = name;
      font->FontDictPos = *pos;
      ReadFontRecord(reader_, objects_, *font);
      index = fonts_.Count() - 1;
      if (selected >= 0) fonts_.Select(selected);
      font_of_object_[ref.Num] = index;
    }
  }
  font_index_[key] = index;
  return index;
}

std::vector<TFormXObject> TDocumentResources::Annotations(int page_index) {
  std::vector<TFormXObject> appearances;
  if (page_index < 0 || page_index >= reader_.Pages.Count()) return appearances;
  const TPageRec& page = reader_.Pages[page_index];
  const TPdfObject& page_dict = objects_.Object({page.ObjNum, page.Gen});
  const TPdfObject* annots = objects_.Get(page_dict, "Annots");
  if (annots == nullptr) return appearances;
  for (const TPdfObject& item : annots->Items()) {
    const TPdfObject& annot = objects_.Resolve(item);
    // Hidden (2) and not viewed (32) annotations show nothing; pop-ups show their parent's text.
    const TPdfObject* flags = objects_.Get(annot, "F");
    const int f = flags != nullptr ? static_cast<int>(flags->AsNumber().value_or(0)) : 0;
    if ((f & (2 | 32)) != 0) continue;
    const TPdfObject* subtype = objects_.Get(annot, "Subtype");
    if (subtype != nullptr && subtype->IsName("Popup")) continue;
    const TPdfObject* rect_object = objects_.Get(annot, "Rect");
    const TPdfObject* ap = objects_.Get(annot, "AP");
    if (rect_object == nullptr || ap == nullptr) continue;
    const auto rect = rect_object->Numbers(4);
    if (!rect || !Finite(*rect)) continue;
    // The normal appearance: a stream, or a dictionary of them, one per state, that /AS picks.
    const TPdfObject* normal = ap->Get("N");
    if (normal == nullptr) continue;
    const TPdfObject* states = normal->IsDict() ? normal : nullptr;
    if (normal->IsRef() && objects_.Get(objects_.Object(*normal->AsRef()), "BBox") == nullptr) {
      states = &objects_.Object(*normal->AsRef());
    }
    if (states != nullptr) {
      const TPdfObject* state = objects_.Get(annot, "AS");
      normal = state != nullptr && state->kind() == TPdfObject::Kind::Name
                   ? states->Get(state->Text())
                   : nullptr;
    }
    if (normal == nullptr || !normal->IsRef()) continue;
    const TPdfRef ref = *normal->AsRef();
    const TPdfObject& form_dict = objects_.Object(ref);
    const TPdfObject* bbox_object = objects_.Get(form_dict, "BBox");
    const auto bbox = bbox_object != nullptr ? bbox_object->Numbers(4) : std::nullopt;
    if (!bbox || !Finite(*bbox)) continue;
    TMatrix matrix{1, 0, 0, 1, 0, 0};
    if (const TPdfObject* m = objects_.Get(form_dict, "Matrix")) {
      if (auto numbers = m->Numbers(6); numbers && Finite(*numbers)) {
        std::copy(numbers->begin(), numbers->end(), matrix.begin());
      }
    }
    // The box as the matrix turns it, fitted into the rectangle.
    double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
    for (const auto& [x, y] :
         {std::pair{(*bbox)[0], (*bbox)[1]}, std::pair{(*bbox)[2], (*bbox)[1]},
          std::pair{(*bbox)[0], (*bbox)[3]}, std::pair{(*bbox)[2], (*bbox)[3]}}) {
      const double tx = x * matrix[0] + y * matrix[2] + matrix[4];
      const double ty = x * matrix[1] + y * matrix[3] + matrix[5];
      x0 = std::min(x0, tx);
      y0 = std::min(y0, ty);
      x1 = std::max(x1, tx);
      y1 = std::max(y1, ty);
    }
    const double rx0 = std::min((*rect)[0], (*rect)[2]), rx1 = std::max((*rect)[0], (*rect)[2]);
    const double ry0 = std::min((*rect)[1], (*rect)[3]), ry1 = std::max((*rect)[1], (*rect)[3]);
    const double sx = x1 > x0 ? (rx1 - rx0) / (x1 - x0) : 1;
    const double sy = y1 > y0 ? (ry1 - ry0) / (y1 - y0) : 1;
    const TMatrix placement{sx, 0, 0, sy, rx0 - x0 * sx, ry0 - y0 * sy};
    if (auto form = ReadForm(ref, &placement)) appearances.push_back(std::move(*form));
  }
  return appearances;
}

}  // namespace paginor
