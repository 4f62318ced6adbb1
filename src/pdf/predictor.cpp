#include "pdf/predictor.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

namespace paginor {

namespace {

uint8_t Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a);
  const int pb = std::abs(p - b);
  const int pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return static_cast<uint8_t>(a);
  if (pb <= pc) return static_cast<uint8_t>(b);
  return static_cast<uint8_t>(c);
}

std::string UndoPng(std::string_view data, std::size_t row, std::size_t bpp) {
  std::string out;
  out.reserve(data.size() / (row + 1) * row);
  std::vector<uint8_t> previous(row, 0);
  std::vector<uint8_t> current(row, 0);
  for (std::size_t at = 0; at + row + 1 <= data.size(); at += row + 1) {
    const auto type = static_cast<uint8_t>(data[at]);
    for (std::size_t i = 0; i < row; ++i) {
      const auto raw = static_cast<uint8_t>(data[at + 1 + i]);
      const int left = i >= bpp ? current[i - bpp] : 0;
      const int up = previous[i];
      const int up_left = i >= bpp ? previous[i - bpp] : 0;
      int value = raw;
      switch (type) {
        case 1:
          value = raw + left;
          break;
        case 2:
          value = raw + up;
          break;
        case 3:
          value = raw + (left + up) / 2;
          break;
        case 4:
          value = raw + Paeth(left, up, up_left);
          break;
        default:
          break;  // 0, and unknown types taken as none
      }
      current[i] = static_cast<uint8_t>(value);
    }
    out.append(reinterpret_cast<const char*>(current.data()), row);
    previous.swap(current);
  }
  return out;
}

std::string UndoTiff(std::string_view data, std::size_t row, const TPredictorParams& p) {
  std::string out(data.substr(0, data.size() / row * row));
  const auto colors = static_cast<std::size_t>(p.Colors);
  for (std::size_t start = 0; start < out.size(); start += row) {
    auto* bytes = reinterpret_cast<uint8_t*>(out.data() + start);
    if (p.BitsPerComponent == 8) {
      for (std::size_t i = colors; i < row; ++i)
        bytes[i] = static_cast<uint8_t>(bytes[i] + bytes[i - colors]);
    } else if (p.BitsPerComponent == 16) {
      for (std::size_t i = 2 * colors; i + 1 < row; i += 2) {
        const int sum = (bytes[i] << 8 | bytes[i + 1]) +
                        (bytes[i - 2 * colors] << 8 | bytes[i + 1 - 2 * colors]);
        bytes[i] = static_cast<uint8_t>(sum >> 8);
        bytes[i + 1] = static_cast<uint8_t>(sum);
      }
    }
    // Other depths pass unchanged: writers do not use them with this predictor.
  }
  return out;
}

// The bytes of one row of samples; nothing when the predictor leaves the data as they are.
std::optional<int64_t> PredictedRow(const TPredictorParams& params) {
  if (params.Predictor < 2) return std::nullopt;
  if (params.Colors < 1 || params.BitsPerComponent < 1 || params.Columns < 1 ||
      params.Colors > 64 || params.BitsPerComponent > 16) {
    return std::nullopt;
  }
  const int64_t bits_per_pixel = int64_t{params.Colors} * params.BitsPerComponent;
  return (params.Columns * bits_per_pixel + 7) / 8;
}

}  // namespace

std::string UndoPredictor(std::string_view data, const TPredictorParams& params) {
  const std::optional<int64_t> row = PredictedRow(params);
  if (!row) return std::string(data);
  // A row longer than the data cannot be undone (and must not be allocated).
  if (*row <= 0 || *row > static_cast<int64_t>(data.size())) return {};
  const int64_t bits_per_pixel = int64_t{params.Colors} * params.BitsPerComponent;
  const auto bpp = static_cast<std::size_t>((bits_per_pixel + 7) / 8);
  if (params.Predictor >= 10) return UndoPng(data, static_cast<std::size_t>(*row), bpp);
  if (params.Predictor == 2) return UndoTiff(data, static_cast<std::size_t>(*row), params);
  return std::string(data);
}

std::size_t PredictedSize(std::size_t size, const TPredictorParams& params) {
  const std::optional<int64_t> row = PredictedRow(params);
  if (!row) return size;
  if (*row <= 0 || *row > static_cast<int64_t>(size)) return 0;
  const auto n = static_cast<std::size_t>(*row);
  if (params.Predictor >= 10) return size / (n + 1) * n;
  return params.Predictor == 2 ? size / n * n : size;
}

}  // namespace paginor
