// /ToUnicode CMaps: which characters each code of a font stands for.
#pragma once

#include <cstdint>
#include <functional>
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

// The encoding CMap of a Type0 font, embedded as a stream or predefined: how long its codes
// are and which CID each code selects.
class TCodeToCid {
 public:
  // The program of a CMap that another one names with usecmap; nothing when unknown.
  using TLoader = std::function<std::optional<std::string>(std::string_view name)>;

  // Codespace ranges of 1 to 4 bytes, cidchar and cidrange blocks, and the map a usecmap
  // names (through load, at most a few deep) under its own; malformed parts are skipped,
  // what the map holds is bounded.
  static TCodeToCid Parse(std::string_view cmap, const TLoader& load = {});

  // The code length its first codespace range declares (2 without any).
  int CodeBytes() const { return code_bytes_; }
  // How many bytes the code at bytes[at] takes: the codespace range it falls in, else the
  // shortest length a range has; at least 1, never past the end.
  std::size_t CodeLength(std::string_view bytes, std::size_t at) const;
  // The CID of a code: as mapped; a map without mappings is the identity; unmapped codes 0.
  uint32_t Cid(uint32_t code) const;

 private:
  static TCodeToCid Parse(std::string_view cmap, const TLoader& load, int depth);

  struct Range {
    uint32_t low = 0;
    uint32_t high = 0;
    uint32_t cid = 0;
  };
  struct Codespace {
    std::string low;  // as many bytes as its codes have
    std::string high;
  };
  std::unordered_map<uint32_t, uint32_t> chars_;
  std::vector<Range> ranges_;
  std::vector<Codespace> codespaces_;
  int code_bytes_ = 2;
};

// UTF-16BE bytes (surrogate pairs joined) into code points; an unpaired surrogate is dropped.
std::u32string Utf16BeToUnicode(std::string_view bytes);

}  // namespace paginor
