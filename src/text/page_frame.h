// The page as a reader sees it: the visible box moved to the origin and turned by the page's
// /Rotate, so that text reads from left to right and y grows upward.
#pragma once

#include <cstdint>

namespace paginor {

struct TPoint {
  double x = 0;
  double y = 0;
};

class TPageFrame {
 public:
  TPageFrame() = default;
  // The box's lower left corner and size in user space, and a quarter turn clockwise (0, 90,
  // 180 or 270; anything else counts as 0).
  TPageFrame(double left, double bottom, double width, double height, int32_t rotate);

  // A point of user space on the page as shown.
  TPoint ToView(TPoint p) const;
  // A direction of user space on the page as shown.
  TPoint TurnDirection(TPoint d) const;

  // The page as shown: a quarter turn swaps width and height.
  double ViewWidth() const;
  double ViewHeight() const;

 private:
  double left_ = 0, bottom_ = 0, width_ = 0, height_ = 0;
  int32_t rotate_ = 0;
};

}  // namespace paginor
