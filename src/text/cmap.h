// /ToUnicode CMaps: which characters each code of a font stands for.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace paginor {

class TToUnicode {
 public:
  // Reads the CMap program: codespace ranges, bfchar and bfrange blocks (a start value or an
  // array). Malformed parts are skipped; what the map may hold is bounded.
  static TToUnicode Parse(std::string_view cmap);

  // 1 or 2: the code length its codespace ranges declare (2 when any range is two bytes).
  int CodeBytes() const { return code_bytes_; }
  bool Empty() const { return chars_.empty() && ranges_.empty(); }
  // The characters a code stands for, if the map says.
  std::optional<std::u32string> Lookup(uint32_t code) const;

 private:
  struct Range {
    uint32_t low = 0;
    uint32_t high = 0;
    std::u32string start;               // destination of low; later codes count up its last
    std::vector<std::u32string> array;  // or one destination per code
  };
  std::unordered_map<uint32_t, std::u32string> chars_;
  std::vector<Range> ranges_;
  int code_bytes_ = 1;
};

// The encoding CMap of a Type0 font embedded as a stream: how long its codes are and which CID
// each code selects.
class TCodeToCid {
 public:
  // Codespace ranges, cidchar and cidrange blocks; malformed parts are skipped, what the map
  // holds is bounded.
  static TCodeToCid Parse(std::string_view cmap);

  // 1 or 2: the code length its codespace ranges declare.
  int CodeBytes() const { return code_bytes_; }
  // The CID of a code: as mapped; a map without mappings is the identity; unmapped codes 0.
  uint32_t Cid(uint32_t code) const;

 private:
  struct Range {
    uint32_t low = 0;
    uint32_t high = 0;
    uint32_t cid = 0;
  };
  std::unordered_map<uint32_t, uint32_t> chars_;
  std::vector<Range> ranges_;
  int code_bytes_ = 2;
};

// UTF-16BE bytes (surrogate pairs joined) into code points; an unpaired surrogate is dropped.
std::u32string Utf16BeToUnicode(std::string_view bytes);

}  // namespace paginor
