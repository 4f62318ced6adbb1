#include "platform/qpainter_dc.h"

#include <QGuiApplication>
#include <QPaintEngine>
#include <QScreen>
#include <algorithm>
#include <optional>
#include <utility>

#include "platform/dib_image.h"

namespace paginor {

namespace {

class TQtCompatibleBitmap final : public TCompatibleBitmap {
 public:
  explicit TQtCompatibleBitmap(QImage image) : image(std::move(image)) {}
  QImage image;  // upright, like a device bitmap
};

// The raster operations Qt has; the others draw as SRCCOPY.
std::optional<QPainter::CompositionMode> RasterMode(uint32_t rop) {
  switch (rop) {
    case SRCPAINT:
      return QPainter::RasterOp_SourceOrDestination;
    case SRCAND:
      return QPainter::RasterOp_SourceAndDestination;
    case SRCINVERT:
      return QPainter::RasterOp_SourceXorDestination;
    case NOTSRCCOPY:
      return QPainter::RasterOp_NotSource;
    default:
      return std::nullopt;
  }
}

}  // namespace

TQPainterDC::TQPainterDC(QPainter& painter, TTarget target,
                         std::function<void(const std::string&)> show_message,
                         std::optional<int> screen_bits)
    : painter_(painter),
      target_(target),
      show_message_(std::move(show_message)),
      screen_bits_(screen_bits) {}

TTechnology TQPainterDC::Technology() {
  return target_ == TTarget::Printer ? TTechnology::RasPrinter : TTechnology::RasDisplay;
}

uint32_t TQPainterDC::RasterCaps() {
  return RC_STRETCHBLT | RC_DIBTODEV | RC_STRETCHDIB;
}

int TQPainterDC::ScreenBitsPerPixel() {
  if (screen_bits_) return *screen_bits_;
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr && screen->depth() > 0 ? screen->depth() : 32;
}

TRect TQPainterDC::ClipBox() {
  QRect box;
  if (painter_.hasClipping()) {
    box = painter_.clipBoundingRect().toAlignedRect();
  } else if (const QPaintDevice* device = painter_.device()) {
    box = painter_.transform().inverted().mapRect(QRect(0, 0, device->width(), device->height()));
  }
  return {box.left(), box.top(), box.left() + box.width(), box.top() + box.height()};
}

TPalette TQPainterDC::SelectPalette(TPalette palette) {
  return std::exchange(palette_, palette);
}

void TQPainterDC::Put(const QRect& target, const QImage& image, const QRect& source, uint32_t rop) {
  painter_.save();
  painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
  const std::optional<QPainter::CompositionMode> mode = RasterMode(rop);
  if (mode && painter_.paintEngine() != nullptr &&
      painter_.paintEngine()->hasFeature(QPaintEngine::RasterOpModes)) {
    painter_.setCompositionMode(*mode);
  }
  painter_.drawImage(target, image, source);
  painter_.restore();
}

int TQPainterDC::StretchDIBits(int32_t x, int32_t y, int32_t dest_width, int32_t dest_height,
                               int32_t src_x, int32_t src_y, int32_t src_width, int32_t src_height,
                               const TDIB& dib, uint32_t rop) {
  if (!dib.HasBits() || dest_width <= 0 || dest_height <= 0 || src_width <= 0 || src_height <= 0) {
    return GDI_ERROR;
  }
  if (target_ == TTarget::Printer) {
    const QImage image = DibToImage(dib, src_x, src_y, src_width, src_height);
    if (image.isNull()) return GDI_ERROR;
    Put(QRect(x, y, dest_width, dest_height), image, image.rect(), rop);
    return src_height;
  }
  const TRect clip = ClipBox();
  const QRect visible =
      QRect(clip.Left - x, clip.Top - y, clip.Right - clip.Left, clip.Bottom - clip.Top)
          .intersected(QRect(0, 0, dest_width, dest_height));
  if (visible.isEmpty()) return src_height;
  const QImage part =
      ScaleDibNearest(dib, src_x, src_y, src_width, src_height, dest_width, dest_height, visible);
  if (part.isNull()) return GDI_ERROR;
  Put(visible.translated(x, y), part, part.rect(), rop);
  return src_height;
}

int TQPainterDC::SetDIBitsToDevice(int32_t x, int32_t y, int32_t width, int32_t height,
                                   int32_t src_x, int32_t src_y, int32_t start_scan, int32_t lines,
                                   const TDIB& dib) {
  if (!dib.HasBits() || width <= 0 || height <= 0 || lines <= 0) return 0;
  // Destination row r shows stored row src_y + height - 1 - r; only the given scan lines.
  const int32_t lowest = std::max(src_y, start_scan);
  const int32_t highest = std::min(src_y + height - 1, start_scan + lines - 1);
  if (lowest > highest) return 0;
  const TRect clip = ClipBox();
  QRect area(x, y + (src_y + height - 1 - highest), width, highest - lowest + 1);
  area =
      area.intersected(QRect(clip.Left, clip.Top, clip.Right - clip.Left, clip.Bottom - clip.Top));
  if (area.isEmpty()) return lines;
  const int32_t bottom_row = src_y + height - 1 - (area.bottom() - y);
  const QImage image =
      DibToImage(dib, src_x + (area.left() - x), bottom_row, area.width(), area.height());
  if (image.isNull()) return 0;
  Put(area, image, image.rect(), SRCCOPY);
  return lines;
}

std::unique_ptr<TCompatibleBitmap> TQPainterDC::CreateCompatibleBitmap(int32_t width,
                                                                       int32_t height) {
  if (width <= 0 || height <= 0 || int64_t{width} * height * 4 > kMaxBitmapBytes) return nullptr;
  QImage image(width, height, QImage::Format_RGB32);
  if (image.isNull()) return nullptr;
  image.fill(Qt::black);
  return std::make_unique<TQtCompatibleBitmap>(std::move(image));
}

int TQPainterDC::SetDIBits(TCompatibleBitmap& bitmap, int32_t start_scan, int32_t lines,
                           const TDIB& dib) {
  QImage& image = static_cast<TQtCompatibleBitmap&>(bitmap).image;
  const int32_t first = std::max(start_scan, 0);
  const int32_t last = std::min({start_scan + lines - 1, dib.Height() - 1, image.height() - 1});
  if (!dib.HasBits() || first > last) return 0;
  const QImage rows = DibToImage(dib, 0, first, image.width(), last - first + 1);
  if (rows.isNull()) return 0;
  QPainter fill(&image);
  fill.drawImage(0, image.height() - 1 - last, rows);
  return last - first + 1;
}

bool TQPainterDC::StretchBlt(int32_t x, int32_t y, int32_t dest_width, int32_t dest_height,
                             TCompatibleBitmap& source, int32_t src_x, int32_t src_y,
                             int32_t src_width, int32_t src_height, uint32_t rop) {
  const QImage& image = static_cast<TQtCompatibleBitmap&>(source).image;
  if (dest_width <= 0 || dest_height <= 0 || src_width <= 0 || src_height <= 0) return false;
  Put(QRect(x, y, dest_width, dest_height), image, QRect(src_x, src_y, src_width, src_height), rop);
  return true;
}

void TQPainterDC::ShowMessage(const std::string& text) {
  if (show_message_) show_message_(text);
}

}  // namespace paginor
