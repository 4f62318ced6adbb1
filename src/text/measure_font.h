// The measuring font: the font the user chose, at the pixel height of a size in points, in
// which all text is measured. The platform supplies the metrics of one pixel height; the
// measurer keeps each height's advances, since the layout measures constantly: the 256 of the
// Windows-1252 characters in a table, the other characters as they are met.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string_view>
#include <unordered_map>

namespace paginor {

// What the platform (or a test) knows of the chosen font at one pixel height.
class TFontMetricsSource {
 public:
  virtual ~TFontMetricsSource() = default;
  // The advance in whole pixels of every Windows-1252 character at the pixel height.
  virtual std::array<int, 256> Advances(int pixel_height) = 0;
  // The advance of a character outside Windows-1252; below 0 when the source cannot tell, and
  // the character then measures as a '?'.
  virtual int Advance(char32_t /*c*/, int /*pixel_height*/) { return -1; }
  // The height of a line of text at the pixel height, in whole pixels.
  virtual int LineHeight(int pixel_height) = 0;
  // Pixels per inch of the screen the text is measured for.
  virtual int ScreenDpi() = 0;
};

class TMeasureFont {
 public:
  // pixel_height: the chosen font's own height, what the font measures at before a size is set.
  explicit TMeasureFont(std::unique_ptr<TFontMetricsSource> source, int pixel_height = 15);

  // The chosen font with a character height of size × dpi / 72 pixels (rounded half to even,
  // at least 1).
  void SetSize(double points);
  int PixelHeight() const { return pixel_height_; }
  int ScreenDpi() const { return dpi_; }

  // Whole pixels: the sum of the characters' advances; the line height.
  int64_t TextWidthPixels(std::u32string_view text) const;
  int TextHeightPixels() const { return metrics_->line_height; }
  // The same in points: pixels × 72 / dpi.
  double MeasuredWidth(std::u32string_view text) const;
  double MeasuredHeight() const;

 private:
  struct Metrics {
    std::array<int, 256> advances{};
    int line_height = 0;
    std::unordered_map<char32_t, int> others;  // characters outside Windows-1252, as met
  };
  int AdvanceOf(char32_t c) const;
  Metrics& MetricsFor(int pixel_height);

  std::unique_ptr<TFontMetricsSource> source_;
  std::map<int, Metrics> cache_;
  Metrics* metrics_ = nullptr;
  int pixel_height_ = 0;
  int dpi_ = 96;
};

// Rounds half to even, as sizes sent to the document are.
double RoundEven(double value);

}  // namespace paginor
