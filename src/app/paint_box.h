// TPaintBox: a surface that its window draws on in a paint handler and whose mouse events
// go to the window's handlers.
#pragma once

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>
#include <functional>

namespace paginor {

class TPaintBox final : public QWidget {
 public:
  explicit TPaintBox(QWidget* parent) : QWidget(parent) {}

  std::function<void(QPainter&)> OnPaint;
  std::function<void(QMouseEvent&)> OnMouseDown;
  std::function<void(QMouseEvent&)> OnMouseMove;
  std::function<void(QMouseEvent&)> OnMouseUp;
  std::function<void(QMouseEvent&)> OnDblClick;

 protected:
  void paintEvent(QPaintEvent* event) override {
    QPainter painter(this);
    // Drawing knows what part needs it: the rows of large pictures outside are skipped.
    painter.setClipRect(event->rect());
    if (OnPaint) OnPaint(painter);
  }
  void mousePressEvent(QMouseEvent* event) override { Forward(OnMouseDown, event); }
  void mouseMoveEvent(QMouseEvent* event) override { Forward(OnMouseMove, event); }
  void mouseReleaseEvent(QMouseEvent* event) override { Forward(OnMouseUp, event); }
  void mouseDoubleClickEvent(QMouseEvent* event) override { Forward(OnDblClick, event); }

 private:
  static void Forward(const std::function<void(QMouseEvent&)>& handler, QMouseEvent* event) {
    if (handler) {
      handler(*event);
    } else {
      event->ignore();
    }
  }
};

}  // namespace paginor
