// The measuring font over Qt: the chosen font's advances and line height at a pixel height.
#pragma once

#include <QFont>
#include <memory>

#include "output/document.h"
#include "text/measure_font.h"

namespace paginor {

class TQtFontMetrics final : public TFontMetricsSource {
 public:
  // font: the chosen face and style (its size is set per request); dpi: the screen resolution.
  TQtFontMetrics(const QFont& font, int dpi);
  std::array<int, 256> Advances(int pixel_height) override;
  int Advance(char32_t c, int pixel_height) override;
  int LineHeight(int pixel_height) override;
  int ScreenDpi() override { return dpi_; }

 private:
  QFont AtPixels(int pixel_height) const;
  QFont font_;
  int dpi_;
};

// The measuring font for a face name, starting at the given pixel height.
std::unique_ptr<TMeasureFont> MakeQtMeasureFont(const QFont& font, int dpi, int pixel_height);
// The chosen font as the document's default font: its face (cut to the longest name the
// document keeps), its pixel height as whole points at dpi, and its styles.
TTextAttributes DocumentFontOf(const QFont& font, int dpi, int pixel_height);

// The logical resolution of the primary screen, 96 where there is none.
int ScreenLogicalDpi();

}  // namespace paginor
