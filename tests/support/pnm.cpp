#include "support/pnm.h"

#include <cctype>

namespace paginor::testing {

namespace {

// The next header number, skipping white space and comments.
int HeaderNumber(const std::string& s, std::size_t& at) {
  while (at < s.size() && (std::isspace(static_cast<unsigned char>(s[at])) || s[at] == '#')) {
    if (s[at] == '#') {
      while (at < s.size() && s[at] != '\n')
        ++at;
    } else {
      ++at;
    }
  }
  int value = 0;
  while (at < s.size() && std::isdigit(static_cast<unsigned char>(s[at])))
    value = value * 10 + (s[at++] - '0');
  return value;
}

}  // namespace

Pnm ParsePnm(const std::string& s) {
  Pnm pnm;
  if (s.size() < 3 || s[0] != 'P' || (s[1] != '4' && s[1] != '5' && s[1] != '6')) return pnm;
  const char kind = s[1];
  std::size_t at = 2;
  const int width = HeaderNumber(s, at);
  const int height = HeaderNumber(s, at);
  const int maxval = kind == '4' ? 1 : HeaderNumber(s, at);
  ++at;  // the single white space byte before the raster
  if (width <= 0 || height <= 0 || (kind != '4' && maxval != 255)) return pnm;
  const std::size_t row = kind == '4'   ? static_cast<std::size_t>((width + 7) / 8)
                          : kind == '5' ? static_cast<std::size_t>(width)
                                        : static_cast<std::size_t>(width) * 3;
  if (at + row * height > s.size()) return pnm;
  pnm.width = width;
  pnm.height = height;
  for (int y = 0; y < height; ++y) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data() + at + row * y);
    for (int x = 0; x < width; ++x) {
      if (kind == '4') {
        const int v = (p[x / 8] >> (7 - x % 8)) & 1 ? 0 : 255;
        pnm.pixels.push_back({v, v, v});
      } else if (kind == '5') {
        pnm.pixels.push_back({p[x], p[x], p[x]});
      } else {
        pnm.pixels.push_back({p[3 * x], p[3 * x + 1], p[3 * x + 2]});
      }
    }
  }
  return pnm;
}

}  // namespace paginor::testing
