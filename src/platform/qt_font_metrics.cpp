#include "platform/qt_font_metrics.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>

#include "output/cp1252.h"

namespace paginor {

TQtFontMetrics::TQtFontMetrics(const QFont& font, int dpi) : font_(font), dpi_(dpi) {}

QFont TQtFontMetrics::AtPixels(int pixel_height) const {
  QFont font = font_;
  // The em height, as the character height of the chosen font is meant; no kerning, since a
  // string measures as the sum of its characters.
  font.setPixelSize(pixel_height > 0 ? pixel_height : 1);
  font.setKerning(false);
  return font;
}

std::array<int, 256> TQtFontMetrics::Advances(int pixel_height) {
  const QFontMetrics metrics(AtPixels(pixel_height));
  std::array<int, 256> advances{};
  for (int code = 0; code < 256; ++code) {
    const char32_t u = Cp1252ToUnicode(static_cast<unsigned char>(code));
    advances[static_cast<std::size_t>(code)] = metrics.horizontalAdvance(QString::fromUcs4(&u, 1));
  }
  return advances;
}

int TQtFontMetrics::Advance(char32_t c, int pixel_height) {
  // Qt's font fallback finds a face for scripts the chosen font lacks.
  return QFontMetrics(AtPixels(pixel_height)).horizontalAdvance(QString::fromUcs4(&c, 1));
}

int TQtFontMetrics::LineHeight(int pixel_height) {
  return QFontMetrics(AtPixels(pixel_height)).height();
}

std::unique_ptr<TMeasureFont> MakeQtMeasureFont(const QFont& font, int dpi, int pixel_height) {
  return std::make_unique<TMeasureFont>(std::make_unique<TQtFontMetrics>(font, dpi), pixel_height);
}

TTextAttributes DocumentFontOf(const QFont& font, int dpi, int pixel_height) {
  TTextAttributes attributes;
  attributes.Name = Utf8ToCp1252(font.family().toStdString()).substr(0, kMaxFontNameLength);
  attributes.Size = static_cast<int>(RoundEven(pixel_height * 72.0 / (dpi > 0 ? dpi : 96)));
  if (font.bold()) attributes.Style.Include(fsBold);
  if (font.italic()) attributes.Style.Include(fsItalic);
  if (font.underline()) attributes.Style.Include(fsUnderline);
  if (font.strikeOut()) attributes.Style.Include(fsStrikeOut);
  return attributes;
}

int ScreenLogicalDpi() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const int dpi = screen != nullptr ? static_cast<int>(screen->logicalDotsPerInchX() + 0.5) : 96;
  return dpi > 0 ? dpi : 96;
}

}  // namespace paginor
