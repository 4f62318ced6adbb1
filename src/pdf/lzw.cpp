#include <array>
#include <cstdint>

#include "pdf/filters.h"

namespace paginor {

namespace {

constexpr int kClear = 256;
constexpr int kEndOfData = 257;
constexpr int kTableSize = 4096;  // 12-bit codes

class BitReader {
 public:
  explicit BitReader(std::string_view data) : data_(data) {}
  // The next code of the given width, or -1 when the data end first.
  int Read(int width) {
    while (bits_ < width) {
      if (pos_ >= data_.size()) return -1;
      buffer_ = (buffer_ << 8) | static_cast<unsigned char>(data_[pos_++]);
      bits_ += 8;
    }
    bits_ -= width;
    return static_cast<int>((buffer_ >> bits_) & ((1u << width) - 1));
  }

 private:
  std::string_view data_;
  std::size_t pos_ = 0;
  uint32_t buffer_ = 0;
  int bits_ = 0;
};

// The string table: each code is a prefix code plus one byte, with the string's length and
// first byte kept so a string can be written out back to front.
struct Table {
  std::array<int16_t, kTableSize> prefix{};
  std::array<unsigned char, kTableSize> last{};
  std::array<unsigned char, kTableSize> first{};
  std::array<uint16_t, kTableSize> length{};
  int next = 258;

  Table() {
    for (int i = 0; i < 256; ++i) {
      prefix[i] = -1;
      last[i] = first[i] = static_cast<unsigned char>(i);
      length[i] = 1;
    }
  }
  void Reset() { next = 258; }
  void Add(int prefix_code, unsigned char byte) {
    if (next >= kTableSize) return;  // full: codes stay 12 bits until the next clear
    prefix[next] = static_cast<int16_t>(prefix_code);
    last[next] = byte;
    first[next] = first[prefix_code];
    length[next] = static_cast<uint16_t>(length[prefix_code] + 1);
    ++next;
  }
  void Write(int code, std::string& out) const {
    const std::size_t start = out.size();
    out.resize(start + length[code]);
    for (std::size_t i = start + length[code]; code >= 0; code = prefix[code]) {
      out[--i] = static_cast<char>(last[code]);
    }
  }
};

}  // namespace

std::string DecodeLZW(std::string_view data, std::size_t limit, bool* limit_reached,
                      bool early_change) {
  std::string out;
  BitReader bits(data);
  Table table;
  int width = 9;
  int previous = -1;
  bool reached = false;
  for (;;) {
    const int code = bits.Read(width);
    if (code < 0 || code == kEndOfData) break;
    if (out.size() >= limit) {
      reached = true;
      break;
    }
    if (code == kClear) {
      table.Reset();
      width = 9;
      previous = -1;
      continue;
    }
    if (previous < 0) {
      if (code > 255) break;  // a first code must be a literal byte
      table.Write(code, out);
    } else if (code < table.next) {
      table.Write(code, out);
      table.Add(previous, table.first[code]);
    } else if (code == table.next) {
      // The string being defined: the previous string plus its own first byte.
      table.Add(previous, table.first[previous]);
      table.Write(code, out);
    } else {
      break;  // a code not yet defined: damaged data
    }
    previous = code;
    // Early change: the width grows one code before the table would need it.
    if (table.next + (early_change ? 1 : 0) >= (1 << width) && width < 12) ++width;
  }
  if (limit_reached != nullptr) *limit_reached = reached || out.size() > limit;
  if (out.size() > limit) out.resize(limit);
  return out;
}

}  // namespace paginor
