// Where a sheet may hold anything but white paper, row by row, so that a
// page end clears what was drawn rather than the whole sheet (clearing all of
// it costs more than drawing a page of text, and pushes the sheet out of the
// processor's caches). Each row keeps one span and two lone pixels: the sides
// of the margin frame cross every row, and would otherwise stretch the span
// of every row across the page.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace morvane {

class InkRows {
 public:
  // `height` rows, every one of them unknown.
  explicit InkRows(std::int32_t height = 0)
      : rows_(static_cast<std::size_t>(std::max(0, height))) {
    mark_all();
  }

  // Pixels [x0, x1) of row y were drawn.
  void mark_span(std::int32_t y, std::int32_t x0, std::int32_t x1) {
    Row& r = rows_[static_cast<std::size_t>(y)];
    r.lo = std::min(r.lo, x0);
    r.hi = std::max(r.hi, x1);
  }

  // As mark_span; true when nothing was drawn in [x0, x1) before, so that
  // the pixels there are known to be white without reading them.
  bool claim_span(std::int32_t y, std::int32_t x0, std::int32_t x1) {
    Row& r = rows_[static_cast<std::size_t>(y)];
    // Unused lone slots hold -1, left of every pixel: no loop, no branch.
    const auto width = static_cast<std::uint32_t>(x1 - x0);
    const bool known = !r.unknown;
    const bool clean = known & ((x1 <= r.lo) | (x0 >= r.hi)) &
                       (static_cast<std::uint32_t>(r.lone[0] - x0) >= width) &
                       (static_cast<std::uint32_t>(r.lone[1] - x0) >= width);
    r.lo = std::min(r.lo, x0);
    r.hi = std::max(r.hi, x1);
    return clean;
  }

  void mark_pixel(std::int32_t y, std::int32_t x) {
    Row& r = rows_[static_cast<std::size_t>(y)];
    if (x >= r.lo && x < r.hi) return;
    for (int i = 0; i < r.lones; ++i) {
      if (r.lone[i] == x) return;
    }
    if (r.lones < kLones) {
      r.lone[r.lones++] = x;
    } else {
      mark_span(y, x, x + 1);
    }
  }

  // Drawn by someone else (cairo): anything may be anywhere.
  void mark_all() {
    for (Row& r : rows_) r.unknown = true;
  }

  // Hands what rows [top, bottom) may hold to clear(y, x0, x1), a row of
  // `width` pixels in whole when unknown, and forgets it.
  template <class Clear>
  void take(std::int32_t top, std::int32_t bottom, std::int32_t width, Clear clear) {
    for (std::int32_t y = top; y < bottom; ++y) {
      Row& r = rows_[static_cast<std::size_t>(y)];
      if (r.unknown) {
        clear(y, 0, width);
      } else {
        if (r.lo < r.hi) clear(y, r.lo, r.hi);
        for (int i = 0; i < r.lones; ++i) clear(y, r.lone[i], r.lone[i] + 1);
      }
      r = Row{};
    }
  }

 private:
  static constexpr int kLones = 2;
  struct Row {
    std::int32_t lo = INT32_MAX;  // lo >= hi: no span
    std::int32_t hi = INT32_MIN;
    std::int32_t lone[kLones] = {-1, -1};
    std::int32_t lones = 0;
    bool unknown = false;
  };
  std::vector<Row> rows_;
};

}  // namespace morvane
