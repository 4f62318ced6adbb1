#include "app/decorations.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace paginor {

TImageBtn::TImageBtn(const QPixmap& normal, const QPixmap& pressed, QWidget* parent)
    : QAbstractButton(parent), normal_(normal), pressed_(pressed) {
  setCursor(Qt::PointingHandCursor);
  setFixedSize(sizeHint());
  setFocusPolicy(Qt::NoFocus);
}

void TImageBtn::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  // isDown() is false again once the mouse leaves the button while held.
  painter.drawPixmap(rect(), isDown() ? pressed_ : normal_);
}

QPixmap ButtonPicture(TButtonPicture kind, bool pressed) {
  constexpr int kSize = 40;
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF face(2, 2, kSize - 4, kSize - 4);
  QLinearGradient gradient(face.topLeft(), face.bottomRight());
  const QColor light = kind == TButtonPicture::Info ? QColor(90, 140, 230) : QColor(230, 90, 80);
  const QColor dark = light.darker(170);
  gradient.setColorAt(0, pressed ? dark : light);
  gradient.setColorAt(1, pressed ? light : dark);
  p.setPen(QPen(QColor(30, 30, 60), 1.5));
  p.setBrush(gradient);
  p.drawEllipse(face.translated(pressed ? 1 : 0, pressed ? 1 : 0));
  p.setPen(QPen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap));
  const double o = pressed ? 1 : 0;
  if (kind == TButtonPicture::Info) {
    p.drawPoint(QPointF(20 + o, 12 + o));
    p.drawLine(QPointF(20 + o, 18 + o), QPointF(20 + o, 29 + o));
  } else {
    // A door with an arrow leading out.
    p.drawLine(QPointF(13 + o, 20 + o), QPointF(27 + o, 20 + o));
    p.drawLine(QPointF(22 + o, 14 + o), QPointF(28 + o, 20 + o));
    p.drawLine(QPointF(22 + o, 26 + o), QPointF(28 + o, 20 + o));
  }
  return pixmap;
}

TTitlePanel::TTitlePanel(const QString& title, QWidget* parent) : QWidget(parent), title_(title) {
  setFixedWidth(72);
  setMinimumHeight(120);
}

void TTitlePanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient gradient(0, 0, width(), height());
  gradient.setColorAt(0, QColor(0, 0, 128));
  gradient.setColorAt(1, QColor(70, 110, 200));
  p.fillRect(rect(), gradient);
  p.setPen(QColor(255, 255, 255, 40));
  for (int y = -width(); y < height(); y += 14)
    p.drawLine(0, y, width(), y + width());
  QFont font = p.font();
  font.setBold(true);
  font.setItalic(true);
  // As large as the panel's height lets the title run.
  int pixels = 26;
  for (; pixels > 10; --pixels) {
    font.setPixelSize(pixels);
    if (QFontMetrics(font).horizontalAdvance(title_) <= height() - 24) break;
  }
  p.setFont(font);
  p.setPen(Qt::white);
  p.translate(width() / 2.0 + 10, height() - 16);
  p.rotate(-90);
  p.drawText(QPointF(0, 0), title_);
}

QPixmap ProgramIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);
  p.setPen(QPen(QColor(0, 0, 90), 2));
  p.setBrush(Qt::white);
  QPainterPath sheet;
  sheet.moveTo(14, 4);
  sheet.lineTo(40, 4);
  sheet.lineTo(52, 16);
  sheet.lineTo(52, 60);
  sheet.lineTo(14, 60);
  sheet.closeSubpath();
  p.drawPath(sheet);
  p.setPen(QPen(QColor(0, 0, 128), 3, Qt::SolidLine, Qt::RoundCap));
  for (int y = 24; y <= 50; y += 7)
    p.drawLine(20, y, y % 2 ? 46 : 40, y);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(200, 40, 40));
  p.drawRoundedRect(QRectF(30, 36, 30, 18), 4, 4);
  QFont font = p.font();
  font.setPixelSize(11);
  font.setBold(true);
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(QRectF(30, 36, 30, 18), Qt::AlignCenter, "TXT");
  return pixmap;
}

}  // namespace paginor
