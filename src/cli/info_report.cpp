#include "cli/info_report.h"

#include <charconv>
#include <ostream>
#include <string>

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
}

}  // namespace paginor
