#include "text/standard_widths.h"

#include "text/standard_widths_table.h"

namespace paginor {

namespace {

bool Names(std::string_view name, std::string_view part) {
  return name.find(part) != std::string_view::npos;
}

}  // namespace

TStandardWidths::TStandardWidths(std::string_view base_font) {
  if (base_font.size() > 7 && base_font[7] == '+') base_font.remove_prefix(8);
  if (Names(base_font, "Courier") || Names(base_font, "Mono")) return;
  const bool bold = Names(base_font, "Bold") || Names(base_font, "Black") ||
                    Names(base_font, "Heavy") || Names(base_font, "Semibold");
  const bool italic = Names(base_font, "Italic") || Names(base_font, "Oblique");
  const bool serif = Names(base_font, "Times") || Names(base_font, "Serif") ||
                     Names(base_font, "Roman") || Names(base_font, "Georgia");
  if (serif) {
    table_ = bold ? (italic ? &kStandardWidthsSerifBoldItalic : &kStandardWidthsSerifBold)
                  : (italic ? &kStandardWidthsSerifItalic : &kStandardWidthsSerifRegular);
  } else {
    table_ = bold ? &kStandardWidthsSansBold : &kStandardWidthsSansRegular;
  }
}

std::optional<double> TStandardWidths::Of(unsigned char c) const {
  if (c < 32) return std::nullopt;
  if (table_ == nullptr) return 600.0;
  const uint16_t width = (*table_)[static_cast<std::size_t>(c - 32)];
  if (width == 0) return std::nullopt;
  return width;
}

}  // namespace paginor
