#include "text/measure_font.h"

#include <cmath>

#include "output/cp1252.h"

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

TMeasureFont::Metrics& TMeasureFont::MetricsFor(int pixel_height) {
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

int TMeasureFont::AdvanceOf(char32_t c) const {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return metrics_->advances[c];
  if (const auto code = UnicodeToCp1252(c)) return metrics_->advances[*code];
  const auto known = metrics_->others.find(c);
  if (known != metrics_->others.end()) return known->second;
  int advance = source_->Advance(c, pixel_height_);
  if (advance < 0) advance = metrics_->advances['?'];
  metrics_->others.emplace(c, advance);
  return advance;
}

int64_t TMeasureFont::TextWidthPixels(std::u32string_view text) const {
  int64_t width = 0;
  for (const char32_t c : text)
    width += AdvanceOf(c);
  return width;
}

double TMeasureFont::MeasuredWidth(std::u32string_view text) const {
  return static_cast<double>(TextWidthPixels(text)) * 72.0 / dpi_;
}

double TMeasureFont::MeasuredHeight() const {
  return static_cast<double>(metrics_->line_height) * 72.0 / dpi_;
}

}  // namespace paginor
