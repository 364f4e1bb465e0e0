#include "live/row_wrap.h"

#include <algorithm>

namespace morvane::live {

RowLayout wrap_row(const std::vector<RowItem>& items, int width, int gap_x, int gap_y) {
  RowLayout out;
  out.places.resize(items.size());
  width = std::max(width, 0);
  std::size_t first = 0;  // the current line's first item
  int y = 0;
  while (first < items.size()) {
    // As many items as fit; always at least one.
    std::size_t end = first + 1;
    int used = std::max(items[first].width, 0);
    while (end < items.size() && used + gap_x + std::max(items[end].width, 0) <= width) {
      used += gap_x + std::max(items[end].width, 0);
      ++end;
    }
    int line_height = 0;
    for (std::size_t i = first; i < end; ++i) line_height = std::max(line_height, items[i].height);
    int x = 0;
    for (std::size_t i = first; i < end; ++i) {
      const int w = std::min(std::max(items[i].width, 0), width);
      const int h = std::max(items[i].height, 0);
      out.places[i] = {x, y + (line_height - h) / 2, w, h};
      x += w + gap_x;
    }
    y += line_height;
    out.height = y;
    y += gap_y;
    first = end;
  }
  return out;
}

int row_width(const std::vector<RowItem>& items, int gap_x) {
  int total = 0;
  for (const RowItem& item : items) total += std::max(item.width, 0);
  if (!items.empty()) total += gap_x * static_cast<int>(items.size() - 1);
  return total;
}

}  // namespace morvane::live
