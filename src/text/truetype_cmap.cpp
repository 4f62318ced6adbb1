#include "text/truetype_cmap.h"

#include <optional>

namespace paginor {

namespace {

// Big-endian reads that fail at the end of the data.
class Reader {
 public:
  explicit Reader(std::string_view data) : data_(data) {}
  std::optional<uint32_t> U16(std::size_t at) const { return Read(at, 2); }
  std::optional<uint32_t> U32(std::size_t at) const { return Read(at, 4); }
  std::size_t Size() const { return data_.size(); }

 private:
  std::optional<uint32_t> Read(std::size_t at, std::size_t n) const {
    if (at > data_.size() || data_.size() - at < n) return std::nullopt;
    uint32_t v = 0;
    for (std::size_t i = 0; i < n; ++i)
      v = v << 8 | static_cast<uint8_t>(data_[at + i]);
    return v;
  }
  std::string_view data_;
};

constexpr std::size_t kMaxGlyphs = 65536;

void Keep(std::unordered_map<uint32_t, char32_t>& glyphs, uint32_t glyph, uint32_t c) {
  if (glyph == 0 || c == 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return;
  auto [it, added] = glyphs.emplace(glyph, static_cast<char32_t>(c));
  if (!added && c < it->second) it->second = static_cast<char32_t>(c);
}

// Characters looked at in all: overlapping segments of a damaged map must not take long.
constexpr std::size_t kMaxCharacters = std::size_t{1} << 17;

void Format4(const Reader& r, std::size_t at, std::unordered_map<uint32_t, char32_t>& glyphs) {
  std::size_t budget = kMaxCharacters;
  const auto seg_x2 = r.U16(at + 6);
  if (!seg_x2) return;
  const std::size_t segments = *seg_x2 / 2;
  const std::size_t ends = at + 14, starts = ends + 2 * segments + 2;
  const std::size_t deltas = starts + 2 * segments, offsets = deltas + 2 * segments;
  for (std::size_t k = 0; k < segments; ++k) {
    const auto end = r.U16(ends + 2 * k), start = r.U16(starts + 2 * k);
    const auto delta = r.U16(deltas + 2 * k), offset = r.U16(offsets + 2 * k);
    if (!end || !start || !delta || !offset || *start > *end) return;
    for (uint32_t c = *start; c <= *end && c != 0xFFFF; ++c) {
      if (budget-- == 0) return;
      uint32_t glyph = 0;
      if (*offset == 0) {
        glyph = (c + *delta) & 0xFFFF;
      } else {
        const auto g = r.U16(offsets + 2 * k + *offset + 2 * (c - *start));
        if (!g) break;
        glyph = *g == 0 ? 0 : (*g + *delta) & 0xFFFF;
      }
      Keep(glyphs, glyph, c);
    }
  }
}

void Format12(const Reader& r, std::size_t at, std::unordered_map<uint32_t, char32_t>& glyphs) {
  const auto groups = r.U32(at + 12);
  if (!groups) return;
  std::size_t budget = kMaxCharacters;
  for (uint32_t g = 0; g < *groups && glyphs.size() < kMaxGlyphs; ++g) {
    const std::size_t group = at + 16 + 12 * static_cast<std::size_t>(g);
    const auto first = r.U32(group), last = r.U32(group + 4), glyph = r.U32(group + 8);
    if (!first || !last || !glyph || *first > *last || *last > 0x10FFFF) return;
    for (uint32_t c = *first; c <= *last && glyphs.size() < kMaxGlyphs; ++c) {
      if (budget-- == 0) return;
      Keep(glyphs, *glyph + (c - *first), c);
    }
  }
}

}  // namespace

std::unordered_map<uint32_t, char32_t> GlyphCharacters(std::string_view program) {
  std::unordered_map<uint32_t, char32_t> glyphs;
  const Reader r(program);
  const auto tables = r.U16(4);
  if (!tables) return glyphs;
  std::optional<uint32_t> cmap;
  for (uint32_t i = 0; i < *tables && i < 512; ++i) {
    const std::size_t entry = 12 + 16 * static_cast<std::size_t>(i);
    if (r.U32(entry) == 0x636D6170) cmap = r.U32(entry + 8);  // "cmap"
  }
  if (!cmap) return glyphs;
  const auto subtables = r.U16(*cmap + 2);
  if (!subtables) return glyphs;
  // The fullest Unicode map: (3,10) before (3,1) before (0,x).
  std::optional<std::size_t> best;
  int best_rank = 0;
  for (uint32_t i = 0; i < *subtables && i < 64; ++i) {
    const std::size_t record = *cmap + 4 + 8 * static_cast<std::size_t>(i);
    const auto platform = r.U16(record), encoding = r.U16(record + 2), offset = r.U32(record + 4);
    if (!platform || !encoding || !offset) break;
    const int rank = *platform == 3 && *encoding == 10  ? 3
                     : *platform == 3 && *encoding == 1 ? 2
                     : *platform == 0                   ? 1
                                                        : 0;
    if (rank > best_rank) {
      best_rank = rank;
      best = *cmap + *offset;
    }
  }
  if (!best) return glyphs;
  const auto format = r.U16(*best);
  if (format == 4u) Format4(r, *best, glyphs);
  if (format == 12u) Format12(r, *best, glyphs);
  return glyphs;
}

}  // namespace paginor
