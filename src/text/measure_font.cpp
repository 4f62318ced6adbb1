#include "text/measure_font.h"

#include <cmath>

namespace paginor {

double RoundEven(double value) {
  return std::nearbyint(value);
}

TMeasureFont::TMeasureFont(std::unique_ptr<TFontMetricsSource> source, int pixel_height)
    : source_(std::move(source)) {
  dpi_ = source_->ScreenDpi() > 0 ? source_->ScreenDpi() : 96;
  pixel_height_ = pixel_height > 0 ? pixel_height : 15;
  metrics_ = &MetricsFor(pixel_height_);
}

const TMeasureFont::Metrics& TMeasureFont::MetricsFor(int pixel_height) {
  auto it = cache_.find(pixel_height);
  if (it == cache_.end()) {
    Metrics m;
    m.advances = source_->Advances(pixel_height);
    m.line_height = source_->LineHeight(pixel_height);
    it = cache_.emplace(pixel_height, m).first;
  }
  return it->second;
}

void TMeasureFont::SetSize(double points) {
  double pixels = RoundEven(points * dpi_ / 72.0);
  // Sizes come from the file: keep the height within what a font can be asked for.
  if (!(pixels >= 1)) pixels = 1;
  if (pixels > 10000) pixels = 10000;
  pixel_height_ = static_cast<int>(pixels);
  metrics_ = &MetricsFor(pixel_height_);
}

int64_t TMeasureFont::TextWidthPixels(std::string_view text) const {
  int64_t width = 0;
  for (const char c : text)
    width += metrics_->advances[static_cast<unsigned char>(c)];
  return width;
}

double TMeasureFont::MeasuredWidth(std::string_view text) const {
  return static_cast<double>(TextWidthPixels(text)) * 72.0 / dpi_;
}

double TMeasureFont::MeasuredHeight() const {
  return static_cast<double>(metrics_->line_height) * 72.0 / dpi_;
}

}  // namespace paginor
