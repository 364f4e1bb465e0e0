// Where a window goes when it opens over another one: centred on it, and
// kept on the screen's work area.
#pragma once

#include <algorithm>
#include <cstdint>

namespace morvane {

struct ScreenBox {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct ScreenPoint {
  std::int32_t x = 0, y = 0;
};

namespace placement_detail {

// One axis: centred on [over_lo, over_hi), then moved as little as needed to
// lie within [work_lo, work_hi); a window larger than the work area keeps its
// start (its caption) at work_lo.
inline std::int32_t centred_start(std::int64_t over_lo, std::int64_t over_hi, std::int64_t size,
                                  std::int64_t work_lo, std::int64_t work_hi) {
  std::int64_t start = over_lo + (over_hi - over_lo - size) / 2;
  start = std::min(start, work_hi - size);
  start = std::max(start, work_lo);
  return static_cast<std::int32_t>(start);
}

}  // namespace placement_detail

// The top-left corner of a width x height window centred on `over`, inside `work`.
inline ScreenPoint centred_origin(const ScreenBox& over, std::int32_t width, std::int32_t height,
                                  const ScreenBox& work) {
  using placement_detail::centred_start;
  return {centred_start(over.left, over.right, width, work.left, work.right),
          centred_start(over.top, over.bottom, height, work.top, work.bottom)};
}

}  // namespace morvane
