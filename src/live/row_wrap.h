// Where the groups of a row of buttons stand when the row is narrower than
// all of them side by side: left to right in order, on as many lines as they
// need, as words wrap in a paragraph.
#pragma once

#include <vector>

namespace morvane::live {

struct RowItem {
  int width = 0;
  int height = 0;
};

struct RowPlace {
  int x = 0, y = 0, width = 0, height = 0;
};

struct RowLayout {
  std::vector<RowPlace> places;  // one per item, in order
  int height = 0;                // of all the lines
};

// Lays `items` out in lines at most `width` wide, `gap_x` apart on a line and
// lines `gap_y` apart, each line as high as its highest item (items on a
// line are centred on it). An item wider than the line stands alone and is
// narrowed to it.
RowLayout wrap_row(const std::vector<RowItem>& items, int width, int gap_x, int gap_y);

// The width of all items on one line.
int row_width(const std::vector<RowItem>& items, int gap_x);

}  // namespace morvane::live
