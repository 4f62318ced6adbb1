// Appending fixed-width integers to a file being built in a std::string, in either byte order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace paginor {

inline void PutU8(std::string& out, uint32_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
}

inline void PutLe16(std::string& out, uint32_t v) {
  PutU8(out, v);
  PutU8(out, v >> 8);
}

inline void PutLe32(std::string& out, uint32_t v) {
  PutLe16(out, v);
  PutLe16(out, v >> 16);
}

inline void PutBe16(std::string& out, uint32_t v) {
  PutU8(out, v >> 8);
  PutU8(out, v);
}

inline void PutBe32(std::string& out, uint32_t v) {
  PutBe16(out, v >> 16);
  PutBe16(out, v);
}

// Overwrites four bytes at pos, for sizes only known once the data after them is written.
inline void SetBe32(std::string& out, std::size_t pos, uint32_t v) {
  if (pos + 4 > out.size()) return;
  for (int i = 0; i < 4; ++i)
    out[pos + i] = static_cast<char>((v >> (24 - 8 * i)) & 0xFF);
}

}  // namespace paginor
