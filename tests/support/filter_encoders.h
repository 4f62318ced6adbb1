// The tests' own encoders for the filters the reader decodes: ASCIIHex, RunLength, LZW (9 to
// 12 bit codes, early change), the PNG and TIFF predictors, and Flate through zlib.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>

#include "support/pdf_builder.h"

namespace paginor::testing {

inline std::string Deflate(const std::string& data) {
  return PdfBuilder::Deflate(data);
}

inline std::string EncodeASCIIHex(const std::string& data) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (std::size_t i = 0; i < data.size(); ++i) {
    const auto b = static_cast<unsigned char>(data[i]);
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
    if (i % 32 == 31) out += '\n';
  }
  return out + ">";
}

// Runs of two or more equal bytes as repeats, the rest as literals of up to 128 bytes.
inline std::string EncodeRunLength(const std::string& data) {
  std::string out;
  std::size_t i = 0;
  while (i < data.size()) {
    std::size_t run = 1;
    while (i + run < data.size() && run < 128 && data[i + run] == data[i])
      ++run;
    if (run >= 2) {
      out += static_cast<char>(257 - run);
      out += data[i];
      i += run;
      continue;
    }
    std::size_t literal = 1;
    while (i + literal < data.size() && literal < 128 &&
           !(i + literal + 1 < data.size() && data[i + literal] == data[i + literal + 1]))
      ++literal;
    out += static_cast<char>(literal - 1);
    out.append(data, i, literal);
    i += literal;
  }
  return out + '\x80';
}

// early_change false: /EarlyChange 0, the width grows only when a code needs it.
inline std::string EncodeLzw(const std::string& data, bool early_change = true) {
  std::string out;
  uint32_t buffer = 0;
  int buffered = 0;
  int width = 9;
  const int late = early_change ? 0 : 1;
  const auto emit = [&](int code) {
    buffer = buffer << width | static_cast<uint32_t>(code);
    buffered += width;
    while (buffered >= 8) {
      out += static_cast<char>((buffer >> (buffered - 8)) & 0xFF);
      buffered -= 8;
    }
  };
  std::map<std::string, int> table;
  int next = 258;
  const auto reset = [&] {
    table.clear();
    for (int i = 0; i < 256; ++i)
      table[std::string(1, static_cast<char>(i))] = i;
    next = 258;
  };
  reset();
  emit(256);
  std::string w;
  for (const char c : data) {
    const std::string wc = w + c;
    if (table.contains(wc)) {
      w = wc;
      continue;
    }
    emit(table[w]);
    table[wc] = next++;
    // The decoder adds its entries one code later: early change, seen from here.
    if (next >= (1 << width) + late && width < 12) ++width;
    if (next >= 4094) {
      emit(256);
      reset();
      width = 9;
    }
    w = std::string(1, c);
  }
  if (!w.empty()) {
    emit(table[w]);
    ++next;
    if (next >= (1 << width) + late && width < 12) ++width;
  }
  emit(257);
  if (buffered > 0) out += static_cast<char>((buffer << (8 - buffered)) & 0xFF);
  return out;
}

// PNG rows of row_bytes bytes, bpp bytes per pixel; the filter type cycles through all five.
inline std::string EncodePng(const std::string& data, std::size_t row_bytes, std::size_t bpp) {
  std::string out;
  const auto at = [&](std::size_t row, std::size_t i) -> int {
    return static_cast<unsigned char>(data[row * row_bytes + i]);
  };
  for (std::size_t row = 0; row * row_bytes + row_bytes <= data.size(); ++row) {
    const int type = static_cast<int>(row % 5);
    out += static_cast<char>(type);
    for (std::size_t i = 0; i < row_bytes; ++i) {
      const int left = i >= bpp ? at(row, i - bpp) : 0;
      const int up = row > 0 ? at(row - 1, i) : 0;
      const int up_left = row > 0 && i >= bpp ? at(row - 1, i - bpp) : 0;
      int predicted = 0;
      if (type == 1) predicted = left;
      if (type == 2) predicted = up;
      if (type == 3) predicted = (left + up) / 2;
      if (type == 4) {
        const int p = left + up - up_left;
        const int pa = std::abs(p - left), pb = std::abs(p - up), pc = std::abs(p - up_left);
        predicted = pa <= pb && pa <= pc ? left : pb <= pc ? up : up_left;
      }
      out += static_cast<char>(at(row, i) - predicted);
    }
  }
  return out;
}

// TIFF predictor 2 of 8-bit samples: each sample minus the one colors bytes before it.
inline std::string EncodeTiff(const std::string& data, std::size_t row_bytes, std::size_t colors) {
  std::string out = data;
  for (std::size_t start = 0; start + row_bytes <= data.size(); start += row_bytes) {
    for (std::size_t i = colors; i < row_bytes; ++i)
      out[start + i] = static_cast<char>(data[start + i] - data[start + i - colors]);
  }
  return out;
}

}  // namespace paginor::testing
