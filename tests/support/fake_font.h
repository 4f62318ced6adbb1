// A measuring font with fixed metrics, so that layouts can be computed by hand: at 72 dpi a
// size in points is the same number of pixels; every character advances half the pixel
// height (integer division) and a line is two pixels higher than the pixel height.
#pragma once

#include <memory>

#include "text/measure_font.h"

namespace paginor::testing {

class FakeMetrics final : public TFontMetricsSource {
 public:
  explicit FakeMetrics(int dpi = 72) : dpi_(dpi) {}
  std::array<int, 256> Advances(int pixel_height) override {
    std::array<int, 256> advances;
    advances.fill(pixel_height / 2);
    return advances;
  }
  int LineHeight(int pixel_height) override { return pixel_height + 2; }
  int ScreenDpi() override { return dpi_; }

 private:
  int dpi_;
};

inline std::unique_ptr<TMeasureFont> MakeFakeFont(int dpi = 72) {
  return std::make_unique<TMeasureFont>(std::make_unique<FakeMetrics>(dpi));
}

}  // namespace paginor::testing
