#include "cli/info_report.h"

#include <charconv>
#include <ostream>
#include <string>

#include "pdf/literals.h"

namespace paginor {

namespace {

// Shortest round-trip form with a full stop, whatever the locale.
std::string FormatPoints(double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

}  // namespace

void WriteInfoReport(const TDocumentState& state, std::ostream& out) {
  out << "Seiten: " << state.PageSizes.Count() << '\n';
  int number = 0;
  for (const TPageSize& size : state.PageSizes) {
    out << "Seite " << ++number << ": " << FormatPoints(size.Width) << " x "
        << FormatPoints(size.Height) << " pt\n";
  }
  out << "Bilder: " << state.Images.Count() << '\n';
  number = 0;
  for (const TImageRec& image : state.Images) {
    out << "Bild " << PadNumber3(++number) << ": " << image.Name << ", " << image.Bitmap.Width()
        << " x " << image.Bitmap.Height() << " Pixel, " << image.Bitmap.BitCount() << " Bit\n";
  }
}

}  // namespace paginor
