#include "images/image_filters.h"

#include "pdf/filter_registry.h"

namespace paginor {

namespace {

TFilterKind PictureKind(const std::string& name) {
  const std::string_view full = FullFilterName(name);
  if (full == "/DCTDecode") return TFilterKind::DCT;
  if (full == "/CCITTFaxDecode") return TFilterKind::CCITT;
  if (full == "/JPXDecode") return TFilterKind::JPX;
  if (full == "/JBIG2Decode") return TFilterKind::JBIG2;
  return TFilterKind::None;
}

}  // namespace

TFilterKind ModernFilterKind(const std::vector<TFilterStep>& chain) {
  if (chain.empty()) return TFilterKind::None;
  for (std::size_t i = 0; i + 1 < chain.size(); ++i) {
    if (!TFilterRegistry::Modern().Knows(chain[i].Name)) return TFilterKind::None;
  }
  const std::string& last = chain.back().Name;
  if (TFilterRegistry::Modern().Knows(last)) return TFilterKind::Flate;
  return PictureKind(last);
}

std::string UndoGenericFilters(const std::vector<TFilterStep>& chain, std::string data,
                               TFilterKind kind, std::size_t limit) {
  const std::size_t generic =
      kind == TFilterKind::Flate || chain.empty() ? chain.size() : chain.size() - 1;
  for (std::size_t i = 0; i < generic; ++i) {
    if (std::optional<std::string> decoded =
            TFilterRegistry::Modern().Decode(chain[i], data, limit)) {
      data = std::move(*decoded);
    }
  }
  return data;
}

}  // namespace paginor
