// The window's pictures, drawn by the program itself: the image buttons and the title
// panels of the tabs.
#pragma once

#include <QAbstractButton>
#include <QPixmap>
#include <QWidget>

namespace paginor {

// A picture that shows a second picture while the mouse button is held down on it.
class TImageBtn final : public QAbstractButton {
 public:
  TImageBtn(const QPixmap& normal, const QPixmap& pressed, QWidget* parent);
  QSize sizeHint() const override { return normal_.size() / normal_.devicePixelRatio(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPixmap normal_;
  QPixmap pressed_;
};

enum class TButtonPicture { Info, Exit };
// The button's picture, raised or pressed.
QPixmap ButtonPicture(TButtonPicture kind, bool pressed);

// The decorative panel on the left of a tab, with its large title running upwards.
class TTitlePanel final : public QWidget {
 public:
  TTitlePanel(const QString& title, QWidget* parent);
  QSize sizeHint() const override { return {72, 300}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString title_;
};

// The program's icon.
QPixmap ProgramIcon(int size);

}  // namespace paginor
