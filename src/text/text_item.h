#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace paginor {

// One positioned text run of a page, in page units (points, y upward).
struct TTextItem {
  std::u32string Text;             // the characters as shown
  std::vector<double> Spacing;     // extra advance after each character; empty for image runs
  std::vector<double> CharWidths;  // advance of each character; empty for image runs
  double Size = 0;                 // font size
  double X = 0;                    // start of the run
  double Y = 0;                    // baseline plus LineHeight: the top of the run's line
  double LineHeight = 0;           // a text line of the measuring font at Size
  int32_t Line = 0;                // line within the page, from 0 (set by the layout)
  int32_t Page = 0;                // from 1
};

}  // namespace paginor
