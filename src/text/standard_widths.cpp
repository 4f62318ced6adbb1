#include "text/standard_widths.h"

#include "text/standard_widths_table.h"

namespace paginor {

namespace {

bool Names(std::string_view name, std::string_view part) {
  return name.find(part) != std::string_view::npos;
}

}  // namespace

std::optional<double> StandardWidth(std::string_view base_font, unsigned char c) {
  if (c < 32) return std::nullopt;
  if (base_font.size() > 7 && base_font[7] == '+') base_font.remove_prefix(8);
  if (Names(base_font, "Courier") || Names(base_font, "Mono")) return 600.0;
  const bool bold = Names(base_font, "Bold") || Names(base_font, "Black") ||
                    Names(base_font, "Heavy") || Names(base_font, "Semibold");
  const bool italic = Names(base_font, "Italic") || Names(base_font, "Oblique");
  const bool serif = Names(base_font, "Times") || Names(base_font, "Serif") ||
                     Names(base_font, "Roman") || Names(base_font, "Georgia");
  const std::array<uint16_t, 224>* table = &kStandardWidthsSansRegular;
  if (serif) {
    table = bold ? (italic ? &kStandardWidthsSerifBoldItalic : &kStandardWidthsSerifBold)
                 : (italic ? &kStandardWidthsSerifItalic : &kStandardWidthsSerifRegular);
  } else if (bold) {
    table = &kStandardWidthsSansBold;
  }
  const uint16_t width = (*table)[static_cast<std::size_t>(c - 32)];
  if (width == 0) return std::nullopt;
  return width;
}

}  // namespace paginor
