// What the modern reader's interpreter asks of the document beyond a page's own fonts and
// pictures: form XObjects with their resources and fonts, and the appearances of annotations.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "pdf/doc_reader.h"
#include "pdf/object_resolver.h"
#include "text/fonts.h"
#include "text/interpreter.h"

namespace paginor {

class TDocumentResources final : public TResourceLookup {
 public:
  TDocumentResources(TDocReader& reader, TDynaArray<TFontRec>& fonts)
      : reader_(reader), objects_(reader), fonts_(fonts) {}

  std::optional<TFormXObject> Form(int page_index, int32_t resources,
                                   const std::string& name) override;
  int Font(int32_t resources, const std::string& name) override;
  std::optional<int32_t> Picture(int32_t resources, const std::string& name) override;

  // The normal appearances of the page's visible annotations (form fields, notes, stamps), each
  // as a form whose matrix puts it into the annotation's rectangle.
  std::vector<TFormXObject> Annotations(int page_index);

 private:
  // The page's resource dictionary (inherited ones included).
  const TPdfObject& PageResources(int page_index);
  // A number for a resource dictionary; the same dictionary keeps its number.
  int32_t ResourcesId(const TPdfObject* resources);
  // The form XObject of stream object ref, its matrix composed with placement.
  std::optional<TFormXObject> ReadForm(TPdfRef ref, const std::array<double, 6>* placement);

  TDocReader& reader_;
  TObjectResolver objects_;
  TDynaArray<TFontRec>& fonts_;
  std::vector<TPdfObject> resources_;  // by their number
  std::map<std::pair<int32_t, int32_t>, int32_t>
      resources_of_form_;  // (object, generation) of a form -> number
  std::map<std::pair<int32_t, std::string>, int> font_index_;
  std::unordered_map<int32_t, int> font_of_object_;
  std::unordered_map<int32_t, std::optional<std::string>> content_;  // decoded form content
  int64_t content_bytes_ = 0;
};

}  // namespace paginor
