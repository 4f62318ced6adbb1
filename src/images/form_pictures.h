// Pictures that pages show through form XObjects (the modern reader): the image XObjects named
// in the resources of forms, and of forms inside those.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "pdf/doc_reader.h"
#include "pdf/object.h"

namespace paginor {

struct TFormPicture {
  std::string Name;  // with its "/", as the form's resources name it
  TPdfRef Ref;
};

// The pictures inside the forms refs (depth first, in the order of their resources), each
// form read once and nesting cut at a depth no real file reaches. Every name looked at counts
// against names_left; at 0 the walk stops.
std::vector<TFormPicture> PicturesInForms(TDocReader& reader, const std::vector<TPdfRef>& forms,
                                          std::size_t& names_left);

}  // namespace paginor
