#include "text/page_frame.h"

namespace paginor {

TPageFrame::TPageFrame(double left, double bottom, double width, double height, int32_t rotate)
    : left_(left),
      bottom_(bottom),
      width_(width),
      height_(height),
      rotate_(rotate == 90 || rotate == 180 || rotate == 270 ? rotate : 0) {}

TPoint TPageFrame::ToView(TPoint p) const {
  const double u = p.x - left_;
  const double v = p.y - bottom_;
  switch (rotate_) {
    case 90:  // the left edge becomes the top
      return {v, width_ - u};
    case 180:
      return {width_ - u, height_ - v};
    case 270:  // the right edge becomes the top
      return {height_ - v, u};
    default:
      return {u, v};
  }
}

TPoint TPageFrame::TurnDirection(TPoint d) const {
  switch (rotate_) {
    case 90:
      return {d.y, -d.x};
    case 180:
      return {-d.x, -d.y};
    case 270:
      return {-d.y, d.x};
    default:
      return d;
  }
}

double TPageFrame::ViewWidth() const {
  return rotate_ == 90 || rotate_ == 270 ? height_ : width_;
}

double TPageFrame::ViewHeight() const {
  return rotate_ == 90 || rotate_ == 270 ? width_ : height_;
}

}  // namespace paginor
