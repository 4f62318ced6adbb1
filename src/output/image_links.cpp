#include "output/image_links.h"

namespace paginor {

TImageLinkAt ImageLinkAt(std::string_view text, std::size_t at) {
  constexpr std::string_view kStart = "<img src=\"bild";
  constexpr std::string_view kEnd = "\" border=0>";
  if (at >= text.size() || text.substr(at, kStart.size()) != kStart) return {};
  std::size_t p = at + kStart.size();
  const std::size_t digits = p;
  int number = 0;
  while (p < text.size() && text[p] >= '0' && text[p] <= '9' && p - digits < 9)
    number = number * 10 + (text[p++] - '0');
  if (p - digits < 3) return {};
  const std::string_view extension = text.substr(p, 4);
  if (extension != ".jpg" && extension != ".gif") return {};
  p += 4;
  if (text.substr(p, kEnd.size()) != kEnd) return {};
  return {p + kEnd.size() - at, number};
}

}  // namespace paginor
