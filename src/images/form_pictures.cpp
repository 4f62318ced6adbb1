#include "images/form_pictures.h"

#include <unordered_set>

#include "pdf/object_resolver.h"

namespace paginor {

namespace {

constexpr int kMaxFormDepth = 16;

class TFormWalk {
 public:
  TFormWalk(TDocReader& reader, std::size_t& names_left)
      : objects_(reader), names_left_(names_left) {}

  void Form(TPdfRef ref, int depth) {
    if (depth > kMaxFormDepth || !seen_.insert(ref.Num).second) return;
    const TPdfObject& form = objects_.Object(ref);
    const TPdfObject* subtype = objects_.Get(form, "Subtype");
    if (subtype == nullptr || !subtype->IsName("Form")) return;
    const TPdfObject* resources = objects_.Get(form, "Resources");
    const TPdfObject* xobjects = resources ? objects_.Get(*resources, "XObject") : nullptr;
    if (xobjects == nullptr || !xobjects->IsDict()) return;
    for (const auto& [name, value] : xobjects->Entries()) {
      if (names_left_ == 0) return;
      --names_left_;
      const std::optional<TPdfRef> target = value.AsRef();
      if (!target) continue;  // pictures are streams: always referenced
      const TPdfObject* kind = objects_.Get(objects_.Object(*target), "Subtype");
      if (kind != nullptr && kind->IsName("Image")) {
        found_.push_back({"/" + name, *target});
      } else if (kind != nullptr && kind->IsName("Form")) {
        Form(*target, depth + 1);
      }
    }
  }

  std::vector<TFormPicture> Take() { return std::move(found_); }

 private:
  TObjectResolver objects_;
  std::size_t& names_left_;
  std::unordered_set<int32_t> seen_;
  std::vector<TFormPicture> found_;
};

}  // namespace

std::vector<TFormPicture> PicturesInForms(TDocReader& reader, const std::vector<TPdfRef>& forms,
                                          std::size_t& names_left) {
  TFormWalk walk(reader, names_left);
  for (const TPdfRef& form : forms)
    walk.Form(form, 0);
  return walk.Take();
}

}  // namespace paginor
