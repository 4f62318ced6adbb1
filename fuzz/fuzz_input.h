// The front of a fuzz input as parameters, the rest as data: each read takes bytes from the
// front and gives 0 once they run out, so every input means something.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace paginor::fuzz {

class TFuzzInput {
 public:
  TFuzzInput(const uint8_t* data, std::size_t size)
      : data_(reinterpret_cast<const char*>(data), size) {}

  uint8_t Byte() {
    if (pos_ >= data_.size()) return 0;
    return static_cast<uint8_t>(data_[pos_++]);
  }
  bool Bool() { return (Byte() & 1) != 0; }
  uint16_t U16() {
    const uint16_t high = Byte();
    return static_cast<uint16_t>(high << 8 | Byte());
  }
  // A value in [low, high], taken from two bytes.
  int In(int low, int high) {
    const auto span = static_cast<uint32_t>(high - low) + 1;
    return low + static_cast<int>(U16() % span);
  }
  // Up to n bytes.
  std::string_view Take(std::size_t n) {
    const std::string_view taken = data_.substr(pos_ < data_.size() ? pos_ : data_.size(), n);
    pos_ += taken.size();
    return taken;
  }
  std::string_view Rest() { return Take(data_.size()); }
  bool Empty() const { return pos_ >= data_.size(); }

 private:
  std::string_view data_;
  std::size_t pos_ = 0;
};

}  // namespace paginor::fuzz
