// Tab 1: the page preview of the document's text runs, and the font choice that governs the
// preview, the document's default font and the measuring of the next conversion.
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QSpinBox>

#include "app/dialogs.h"
#include "app/main_unit.h"
#include "app/paint_box.h"
#include "platform/qt_font_metrics.h"
#include "platform/rich_text_bridge.h"

namespace paginor {

void TMainForm::ChooseFontBtnClick() {
  if (FDoc.FBusy) return;
  // A cancelled dialog keeps the font it had; it is applied all the same.
  if (const auto font = Dialogs().ChooseFont(this, FChosenFont)) FChosenFont = *font;
  ApplyChosenFont();
  PaintBox1Paint();
}

// The chosen font becomes the document's default font and the measuring font.
void TMainForm::ApplyChosenFont() {
  Label4->setText("Optimieren auf: " + FChosenFont.family());
  const int dpi = ScreenLogicalDpi();
  int pixels = FChosenFont.pixelSize();
  if (pixels <= 0) pixels = static_cast<int>(FChosenFont.pointSizeF() * dpi / 72 + 0.5);
  FDoc.Memo1.SetDefaultFont(DocumentFontOf(FChosenFont, dpi, pixels));
  FDoc.MeasureFont = MakeQtMeasureFont(FChosenFont, dpi, pixels);
}

void TMainForm::ZoomEdChange() {
  PaintBox1Paint();
}

TPrinterPage TMainForm::PrinterPage() const {
  return {Printer->width(), Printer->height(), Printer->logicalDpiX()};
}

bool TMainForm::FitPaintBox1() {
  const TPixelSize size = PreviewPageSize(FDoc.PageSizes, PageEd->value(), ZoomEd->value(),
                                          PaintBox1->logicalDpiX(), PrinterPage());
  if (PaintBox1->width() == size.Width && PaintBox1->height() == size.Height) return false;
  PaintBox1->resize(size.Width, size.Height);
  return true;
}

void TMainForm::PaintBox1Paint() {
  if (FDoc.FBusy) return;
  // Qt draws only in a paint event: the resized box paints by itself, else paint at once.
  if (!FitPaintBox1()) PaintBox1->repaint();
}

void TMainForm::PaintBox1Paint(QPainter& painter) {
  if (FDoc.FBusy) return;
  if (FitPaintBox1()) return;  // the resized paint box is painted again
  const int dpi = PaintBox1->logicalDpiX();
  const int height = PaintBox1->height();
  painter.fillRect(0, 0, PaintBox1->width(), height, Qt::white);
  painter.setPen(Qt::black);
  QFont font = FChosenFont;
  // A string measures as the sum of its characters, so no kerning.
  font.setKerning(false);
  int ascent = 0;
  int pixels = 0;
  for (const TPreviewText& text :
       PreviewTexts(FDoc.TextItems, PageEd->value(), ZoomEd->value(), dpi, height)) {
    if (text.PixelHeight != pixels) {
      pixels = text.PixelHeight;
      font.setPixelSize(pixels);
      painter.setFont(font);
      ascent = painter.fontMetrics().ascent();
    }
    // The point is the upper left corner of the string's cell; Qt draws at the baseline.
    painter.drawText(text.X, text.Y + ascent,
                     QString::fromUcs4(text.Text.data(), static_cast<qsizetype>(text.Text.size())));
  }
}

}  // namespace paginor
